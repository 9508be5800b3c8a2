// Program entry of the Amplix 32 editor.
#include "app/DAmplix.h"

int main(int argc, char** argv) {
    return OwlMain(argc, argv);
}
