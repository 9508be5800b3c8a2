# RtMidi for the Windows build's MIDI service: Debian's source of the release the Linux build
# links (scripts/install-deps unpacks it into .deps/), compiled for the Windows multimedia API.
# Port names stay the devices' own: RtMidi would otherwise append the device's number, which
# changes when another device is plugged in before it, and the settings find a device by name.
set(AMPLIX_RTMIDI_SOURCE_DIR "" CACHE PATH "RtMidi's source folder (with RtMidi.cpp) for the Windows build")
if(NOT AMPLIX_RTMIDI_SOURCE_DIR)
    file(GLOB AMPLIX_RTMIDI_CANDIDATES ${PROJECT_SOURCE_DIR}/.deps/rtmidi-*/RtMidi.cpp)
    list(SORT AMPLIX_RTMIDI_CANDIDATES)
    list(POP_BACK AMPLIX_RTMIDI_CANDIDATES AMPLIX_RTMIDI_NEWEST)
    if(AMPLIX_RTMIDI_NEWEST)
        get_filename_component(AMPLIX_RTMIDI_SOURCE_DIR ${AMPLIX_RTMIDI_NEWEST} DIRECTORY)
    endif()
endif()
if(NOT EXISTS ${AMPLIX_RTMIDI_SOURCE_DIR}/RtMidi.cpp)
    message(FATAL_ERROR "RtMidi's source is missing: scripts/install-deps --windows unpacks it into .deps/, "
                        "or set AMPLIX_RTMIDI_SOURCE_DIR")
endif()

add_library(amplix_rtmidi_winmm STATIC ${AMPLIX_RTMIDI_SOURCE_DIR}/RtMidi.cpp)
target_include_directories(amplix_rtmidi_winmm SYSTEM PUBLIC ${AMPLIX_RTMIDI_SOURCE_DIR})
target_compile_definitions(amplix_rtmidi_winmm PUBLIC __WINDOWS_MM__ RTMIDI_DO_NOT_ENSURE_UNIQUE_PORTNAMES)
target_compile_options(amplix_rtmidi_winmm PRIVATE -w) # not our code: its warnings are upstream's
target_link_libraries(amplix_rtmidi_winmm PUBLIC winmm)
