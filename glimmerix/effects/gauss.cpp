#include "gauss.h"
