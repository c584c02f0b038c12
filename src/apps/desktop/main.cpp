// chronova-desktop: the map window with the time slider.
#include "apps/desktop/desktop_program.h"

int main(int argc, char** argv) {
    return chronova::desktop::RunDesktop(argc, argv);
}
