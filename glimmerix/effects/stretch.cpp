#include "stretch.h"
