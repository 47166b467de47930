# The Windows resources of a program: the application icon (16, 24, 32, 48 and 256 pixels, made
# from src/resources/icons/orvix2.png at build time with ImageMagick), a version resource and the
# manifest (Common Controls 6, per-monitor DPI awareness), compiled with windres.
#   orvix_add_windows_resources(TARGET "File description")
# The packaging reuses it for every program it ships.

find_program(ORVIX2_IMAGEMAGICK NAMES convert-im6.q16 convert REQUIRED)
set(ORVIX2_ICO ${CMAKE_BINARY_DIR}/resources/orvix2.ico)
set(ORVIX2_ICON_SOURCE ${PROJECT_SOURCE_DIR}/src/resources/icons/orvix2.png)
add_custom_command(OUTPUT ${ORVIX2_ICO}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
    COMMAND ${ORVIX2_IMAGEMAGICK} ${ORVIX2_ICON_SOURCE}
            -define icon:auto-resize=256,48,32,24,16 ${ORVIX2_ICO}
    DEPENDS ${ORVIX2_ICON_SOURCE}
    COMMENT "Making the application icon orvix2.ico"
    VERBATIM)
add_custom_target(orvix2_ico DEPENDS ${ORVIX2_ICO})

function(orvix_add_windows_resources target description)
    set(ORVIX2_RC_TARGET ${target})
    set(ORVIX2_RC_FILENAME ${target}.exe)
    set(ORVIX2_RC_DESCRIPTION ${description})
    set(ORVIX2_RC_ICON ${ORVIX2_ICO})
    set(ORVIX2_RC_MANIFEST ${PROJECT_SOURCE_DIR}/packaging/windows/orvix2.manifest)
    set(rc ${CMAKE_BINARY_DIR}/resources/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/orvix2.rc.in ${rc} @ONLY)
    set_source_files_properties(${rc} PROPERTIES
        OBJECT_DEPENDS "${ORVIX2_ICO};${ORVIX2_RC_MANIFEST}")
    target_sources(${target} PRIVATE ${rc})
    add_dependencies(${target} orvix2_ico)
endfunction()
