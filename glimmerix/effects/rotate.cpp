#include "rotate.h"
