#include "al/al_time.h"

#include <apr_time.h>

// apr_time_now reads the system clock directly and needs no apr_initialize.
double al_time()
{
    return (double) apr_time_now() * 0.000001;
}
