# chronova_add_library(NAME <name> [SOURCES...]): one static library of one source folder.
#
# The target is chronova_<name>, known inside the build and to users of the installed package as Chronova::<name>.
# It compiles with the project's warnings (never passed on) and sanitizers (passed on inside the build only, so
# programs linking an instrumented library link the runtime), and sees src/ as its include root; installed, its
# headers sit under include/chronova/ with their folders. Each library links the libraries below it, so the
# target graph states the layer order that scripts/check-layers.sh enforces on the includes.
set_property(GLOBAL PROPERTY CHRONOVA_LIBRARIES "")

function(chronova_add_library name)
    set(target chronova_${name})
    add_library(${target} STATIC ${ARGN})
    add_library(Chronova::${name} ALIAS ${target})
    set_target_properties(${target} PROPERTIES EXPORT_NAME ${name} POSITION_INDEPENDENT_CODE ON)
    target_link_libraries(${target}
        PRIVATE $<BUILD_INTERFACE:chronova_warnings>
        PUBLIC $<BUILD_INTERFACE:chronova_sanitizers>)
    target_include_directories(${target} PUBLIC
        $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/src>
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/chronova>
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
    set_property(GLOBAL APPEND PROPERTY CHRONOVA_LIBRARIES ${target})
endfunction()

# chronova_install_libraries(): installs every library made above with its headers and the CMake package.
#
# Called once every folder has added its sources. A library's headers are the .h files beside its sources (gis/data,
# gis/map... belong to chronova_gis); they install under include/chronova/ with their folders, so consumers write
# <chronova/registry/chronova_data.h> while the headers keep including each other as "platform/ole_date.h". The
# package's targets are Chronova::<name> and Chronova::chronova, which links them all.
function(chronova_install_libraries)
    include(CMakePackageConfigHelpers)
    get_property(libraries GLOBAL PROPERTY CHRONOVA_LIBRARIES)
    foreach(target IN LISTS libraries)
        get_target_property(sources ${target} SOURCES)
        get_target_property(source_dir ${target} SOURCE_DIR)
        set(folders "")
        foreach(source IN LISTS sources)
            cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir})
            cmake_path(GET source PARENT_PATH folder)
            list(APPEND folders ${folder})
        endforeach()
        list(REMOVE_DUPLICATES folders)
        set(headers "")
        foreach(folder IN LISTS folders)
            file(GLOB folder_headers CONFIGURE_DEPENDS ${folder}/*.h)
            list(APPEND headers ${folder_headers})
        endforeach()
        target_sources(${target} PUBLIC FILE_SET HEADERS BASE_DIRS ${PROJECT_SOURCE_DIR}/src FILES ${headers})
    endforeach()

    # The whole system and host as one target; the name chronova is the program's inside the build.
    add_library(chronova_package INTERFACE)
    add_library(Chronova::chronova ALIAS chronova_package)
    set_target_properties(chronova_package PROPERTIES EXPORT_NAME chronova)
    target_link_libraries(chronova_package INTERFACE ${libraries})

    set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Chronova)
    install(TARGETS ${libraries} chronova_package EXPORT ChronovaTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/chronova)
    install(EXPORT ChronovaTargets NAMESPACE Chronova:: DESTINATION ${package_dir})
    configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ChronovaConfig.cmake.in
        ${PROJECT_BINARY_DIR}/ChronovaConfig.cmake INSTALL_DESTINATION ${package_dir})
    write_basic_package_version_file(${PROJECT_BINARY_DIR}/ChronovaConfigVersion.cmake
        COMPATIBILITY SameMinorVersion)
    install(FILES ${PROJECT_BINARY_DIR}/ChronovaConfig.cmake ${PROJECT_BINARY_DIR}/ChronovaConfigVersion.cmake
        DESTINATION ${package_dir})
endfunction()
