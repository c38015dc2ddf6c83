#include "al/Vec.h"

namespace al
{
template struct Vec<3, double>;
template struct Vec<3, float>;
} // namespace al
