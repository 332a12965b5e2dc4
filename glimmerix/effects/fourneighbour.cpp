#include "fourneighbour.h"
