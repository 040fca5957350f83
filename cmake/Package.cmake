# What a user downloads: the portable zip, the installer and the executable, each with its
# SHA-256 file, in build/windows/dist. Needs makensis (Debian's nsis), which setup.sh installs.
# Made on every build (about a second), after the executable has its commit's time.
set(BLINKBAR_DIST ${CMAKE_BINARY_DIR}/dist)
add_custom_target(package_blinkbar ALL
    COMMAND python3 ${CMAKE_SOURCE_DIR}/scripts/package.py $<TARGET_FILE:blinkbar> ${BLINKBAR_ICON}
            ${CMAKE_SOURCE_DIR} ${BLINKBAR_DIST}
    VERBATIM)
add_dependencies(package_blinkbar stamp_blinkbar blinkbar_icon)
