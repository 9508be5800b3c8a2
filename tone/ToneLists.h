// The entries of the amp model, effect and cabinet lists and the effect windows' lists, in list order.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace amplix {

inline constexpr std::array<std::string_view, 32> kAmpModelNames = {
    "Tube Preamp",         "POD Clean",           "POD Crunch",     "POD Drive",
    "POD Layer",           "Small Tweed",         "Tweed Blues",    "Black Panel",
    "Modern Class A",      "Brit Class A",        "Brit Blues",     "Brit Classic",
    "Brit Hi Gain",        "Rectified",           "Modern Hi Gain", "Fuzz Box",
    "Jazz Clean",          "Boutique 1",          "Boutique 2",     "Brit Class A 2",
    "Brit Class A 3",      "Small Tweed 2",       "Black Panel 2",  "Boutique 3",
    "California Crunch 1", "California Crunch 2", "Rectified 2",    "Modern Hi Gain 2",
    "POD Twang",           "POD Crunch 2",        "POD Blues",      "POD Insane",
};

inline constexpr std::array<std::string_view, 16> kEffectNames = {
    "Bypass",         "Compressor",       "Tremolo",         "Chorus 1",
    "Chorus 2",       "Flanger 1",        "Flanger 2",       "Rotary",
    "Delay",          "Delay/Compressor", "Delay/Tremolo",   "Delay/Chorus 1",
    "Delay/Chorus 2", "Delay/Flanger 1",  "Delay/Flanger 2", "Delay/Swell",
};

inline constexpr std::array<std::string_view, 16> kCabinetNames = {
    "1x8 Tweed Champ",    "1x12 Tweed Deluxe",
    "1x12 AC15",          "1x12 Blackface Deluxe",
    "1x12 Flextone",      "2x12 Blackface Twin",
    "2x12 AC30",          "2x12 Chieftain",
    "2x12 POD Custom",    "4x10 Bassman",
    "4x10 POD Custom",    "4x12 Marshall V30s",
    "4x12 Marshall 70's", "4x12 Marshall BasketWeave",
    "4x12 POD Custom",    "No Cab",
};

inline constexpr std::array<std::string_view, 6> kCompressionRatioNames = {
    "off", "1.4:1", "2:1", "3:1", "6:1", "infinity:1",
};
inline constexpr std::array<std::string_view, 2> kReverbTypeNames = {"Spring Reverb", "Room Reverb"};
inline constexpr std::array<std::string_view, 2> kRotarySpeedNames = {"Slow", "Fast"};
inline constexpr std::array<std::string_view, 2> kVolPositionNames = {"Pre-Tube Drive", "Post-Tube Drive"};

// The entries of the list that stands for a tone-map member; empty for anything else.
inline std::span<const std::string_view> listEntries(std::string_view member) {
    if (member == "AmpModel")
        return kAmpModelNames;
    if (member == "EffectSel")
        return kEffectNames;
    if (member == "CabSel")
        return kCabinetNames;
    if (member == "CRatio")
        return kCompressionRatioNames;
    if (member == "ReverbType")
        return kReverbTypeNames;
    if (member == "RotarySpeed")
        return kRotarySpeedNames;
    if (member == "VolPosition")
        return kVolPositionNames;
    return {};
}

// The amp model that has a second drive knob.
inline constexpr int kPodLayerAmpModel = 4;

} // namespace amplix
