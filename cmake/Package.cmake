# What a user downloads: the portable zip, the installer and the executable, each with its
# SHA-256 file, in build/windows/dist. Needs makensis (Debian's nsis), which setup.sh installs.
set(BLINKBAR_DIST ${CMAKE_BINARY_DIR}/dist)
add_custom_command(OUTPUT ${BLINKBAR_DIST}/packaged
    COMMAND python3 ${CMAKE_SOURCE_DIR}/scripts/package.py $<TARGET_FILE:blinkbar> ${BLINKBAR_ICON}
            ${CMAKE_SOURCE_DIR} ${BLINKBAR_DIST}
    COMMAND ${CMAKE_COMMAND} -E touch ${BLINKBAR_DIST}/packaged
    DEPENDS blinkbar ${CMAKE_SOURCE_DIR}/scripts/package.py ${CMAKE_SOURCE_DIR}/resources/installer.nsi
            ${CMAKE_SOURCE_DIR}/resources/Readme.txt ${CMAKE_SOURCE_DIR}/LICENSE
    VERBATIM)
add_custom_target(package_blinkbar ALL DEPENDS ${BLINKBAR_DIST}/packaged)
