#include "waves.h"
