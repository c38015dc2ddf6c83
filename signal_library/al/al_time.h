#pragma once

// Wall-clock time in seconds.
double al_time();
