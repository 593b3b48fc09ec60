#include "core/display/display.h"
