# The icon is drawn by a script of ours at build time rather than kept as a binary file, and the
# manifest is written without its comments; the resource script finds both (in the build folder,
# searched first) and version.h through the include path.
set(BLINKBAR_ICON ${CMAKE_BINARY_DIR}/resources/blinkbar.ico)
add_custom_command(OUTPUT ${BLINKBAR_ICON}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
    COMMAND python3 ${CMAKE_SOURCE_DIR}/resources/make_icon.py ${BLINKBAR_ICON}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/make_icon.py
    VERBATIM)
set(BLINKBAR_MANIFEST ${CMAKE_BINARY_DIR}/resources/blinkbar.manifest)
add_custom_command(OUTPUT ${BLINKBAR_MANIFEST}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
    COMMAND python3 ${CMAKE_SOURCE_DIR}/resources/make_manifest.py
            ${CMAKE_SOURCE_DIR}/resources/blinkbar.manifest ${BLINKBAR_MANIFEST}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/make_manifest.py ${CMAKE_SOURCE_DIR}/resources/blinkbar.manifest
    VERBATIM)
add_custom_target(blinkbar_icon DEPENDS ${BLINKBAR_ICON} ${BLINKBAR_MANIFEST})
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/blinkbar.rc PROPERTIES
    OBJECT_DEPENDS "${BLINKBAR_ICON};${BLINKBAR_MANIFEST};${CMAKE_SOURCE_DIR}/resources/version.h")

function(blinkbar_use_resources target)
    add_dependencies(${target} blinkbar_icon)
    target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/resources
                                                 ${CMAKE_SOURCE_DIR}/resources)
endfunction()
