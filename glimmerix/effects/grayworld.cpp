#include "grayworld.h"
