// chronova-desktop: the map window with the time slider.
#include "apps/desktop/desktop_program.h"
#include "platform/heap_arenas.h"

int main(int argc, char** argv) {
    chronova::platform::LimitHeapArenas();
    return chronova::desktop::RunDesktop(argc, argv);
}
