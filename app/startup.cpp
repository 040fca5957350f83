#include "app/startup.h"

int OsVersionCodeFrom(const OsVersionInfo& info) {
    if (!info.Ok) return 100;
    if (info.PlatformId == 1) {
        switch (info.Minor) {
        case 0:
            return 10;
        case 10:
            return 30;
        case 90:
            return 40;
        default:
            return 100;
        }
    }
    if (info.PlatformId != 2) return 100;
    switch (info.Major) {
    case 3:
        return 5;
    case 4:
        return 20;
    case 5:
        switch (info.Minor) {
        case 0:
            return 50;
        case 1:
            return 60;
        case 2:
            return 65;
        default:
            return 100;
        }
    case 6:
        if (!info.ExtendedOk) return 70;
        return info.ProductType == 1 ? 70 : 75;
    default:
        return 100;
    }
}

bool OsVersionAdmitted(int code) {
    return code == 50 || code == 60 || code == 70 || code == 100;
}

bool LoadsControlsLibraryFirst(int code) {
    return code == 60 || code == 65;
}
