#include "median.h"
