#pragma once

#include "al/Vec.h"

#include <gtest/gtest.h>

namespace toravel::test
{
inline void expectVec (const al::Vec<3, double>& v, double x, double y, double z, double tol = 1e-15)
{
    EXPECT_NEAR (v[0], x, tol);
    EXPECT_NEAR (v[1], y, tol);
    EXPECT_NEAR (v[2], z, tol);
}
} // namespace toravel::test
