#include "SkinObserver.h"

namespace {
SkinChangeObserver gSkinChangeObserver;
}

SkinChangeObserver& GlobalSkinChangeObserver() { return gSkinChangeObserver; }
