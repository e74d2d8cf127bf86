#include "component/Conversions.h"
