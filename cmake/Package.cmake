# What a user downloads: the portable zip, the installer and the executable, each with its
# SHA-256 file, in build/windows/dist. Needs makensis (Debian's nsis), which setup.sh installs.
# Made on every build (about a second), after the executable has its commit's time.
# Signing and the addresses the manifests and signatures name, given at configure time; where a variable is left
# empty, the environment variable of the same name is used (see scripts/package.py). The key's
# password is only ever named by a file, so that it shows on no command line.
set(BLINKBAR_SIGN_CERT "" CACHE FILEPATH "Code-signing certificate (PEM, or .p12/.pfx with its key)")
set(BLINKBAR_SIGN_KEY "" CACHE FILEPATH "The certificate's private key (PEM)")
set(BLINKBAR_SIGN_PASSWORD_FILE "" CACHE FILEPATH "A file holding the key's password")
set(BLINKBAR_TIMESTAMP_URL "" CACHE STRING "RFC 3161 timestamp server for the signatures")
set(BLINKBAR_RELEASE_URL "" CACHE STRING
    "Where a version's downloads are published, \$version standing for the version")
set(BLINKBAR_HOMEPAGE "" CACHE STRING "The project's home page, for the manifests and signatures")
set(BLINKBAR_PUBLISHER_URL "" CACHE STRING "The publisher's page (the home page if empty)")
set(BLINKBAR_PACKAGE_ENV)
foreach(setting BLINKBAR_SIGN_CERT BLINKBAR_SIGN_KEY BLINKBAR_SIGN_PASSWORD_FILE
                BLINKBAR_TIMESTAMP_URL BLINKBAR_RELEASE_URL BLINKBAR_HOMEPAGE
                BLINKBAR_PUBLISHER_URL)
    if(${setting})
        list(APPEND BLINKBAR_PACKAGE_ENV "${setting}=${${setting}}")
    endif()
endforeach()
set(BLINKBAR_DIST ${CMAKE_BINARY_DIR}/dist)
add_custom_target(package_blinkbar ALL
    COMMAND ${CMAKE_COMMAND} -E env ${BLINKBAR_PACKAGE_ENV}
            python3 ${CMAKE_SOURCE_DIR}/scripts/package.py $<TARGET_FILE:blinkbar> ${BLINKBAR_ICON}
            ${CMAKE_SOURCE_DIR} ${BLINKBAR_DIST} $<TARGET_FILE:BlinkbarSetup>
    VERBATIM)
add_dependencies(package_blinkbar stamp_blinkbar blinkbar_icon BlinkbarSetup)
