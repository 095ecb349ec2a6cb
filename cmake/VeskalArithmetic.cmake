# The single-precision arithmetic rule must reach the machine as written: no
# fused multiply-add, no reassociation, and no excess precision. On 32-bit x86
# the default floating-point unit is the x87, which keeps every intermediate
# in 80 bits and changes report digits; SSE2 arithmetic rounds each operation
# to its type as every other platform does.
set(veskal_float_flags -ffp-contract=off -fno-fast-math)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86|i.86|amd64|AMD64")
  list(APPEND veskal_float_flags -msse2 -mfpmath=sse)
endif()
add_compile_options(${veskal_float_flags} -Wall -Wextra -Wpedantic)

include(CheckCXXSourceCompiles)
list(JOIN veskal_float_flags " " CMAKE_REQUIRED_FLAGS)
check_cxx_source_compiles([=[
#include <cfloat>
#if defined(__i386__) && !defined(__SSE2_MATH__)
#error "x87 arithmetic"
#endif
#if FLT_EVAL_METHOD != 0
#error "excess precision"
#endif
int main() { return 0; }
]=] VESKAL_EXACT_FLOAT_ARITHMETIC)
unset(CMAKE_REQUIRED_FLAGS)
if(NOT VESKAL_EXACT_FLOAT_ARITHMETIC)
  message(FATAL_ERROR "This compiler evaluates floating point with excess precision (FLT_EVAL_METHOD != 0, "
                      "for example x87 arithmetic on 32-bit x86); the report's digits would change. "
                      "Build for a target with SSE2 (-msse2 -mfpmath=sse) or another IEEE unit.")
endif()
