#include "zoom.h"
