#include "sharpen.h"
