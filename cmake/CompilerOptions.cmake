# Warnings and sanitizers travel as INTERFACE targets so every target of the project links the same flags and
# nothing leaks into third-party code or into programs that use the installed library.
add_library(chronova_warnings INTERFACE)
target_compile_options(chronova_warnings INTERFACE -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wpedantic)
# GCC 12 reports -Wrestrict inside std::string concatenation at -O2/-O3 (GCC bug 105329), a false alarm.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(chronova_warnings INTERFACE -Wno-restrict)
endif()
if(CHRONOVA_WERROR)
    target_compile_options(chronova_warnings INTERFACE -Werror)
endif()

add_library(chronova_sanitizers INTERFACE)
if(CHRONOVA_SANITIZER)
    target_compile_options(chronova_sanitizers INTERFACE
        -fsanitize=${CHRONOVA_SANITIZER} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(chronova_sanitizers INTERFACE -fsanitize=${CHRONOVA_SANITIZER})
endif()

# Programs of the build itself (tests, benchmarks, fuzz targets, the command line) link this one: warnings and
# sanitizers.
add_library(chronova_defaults INTERFACE)
target_link_libraries(chronova_defaults INTERFACE chronova_warnings chronova_sanitizers)
