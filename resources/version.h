// One place for the release number and the names the resources, the installer and the zip show.
#pragma once

#define BLINKBAR_VERSION_MAJOR 1
#define BLINKBAR_VERSION_MINOR 2
#define BLINKBAR_VERSION_TEXT "1.02"
#define BLINKBAR_PUBLISHER "The Blinkbar developers"
#define BLINKBAR_COPYRIGHT "Copyright (C) 2026 The Blinkbar developers"
