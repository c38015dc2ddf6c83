#include "al/Quat.h"

namespace al
{
template struct Quat<double>;
template struct Quat<float>;
} // namespace al
