# GMP and MPFR, the independent reference the tests and the fuzz targets check
# the exact arithmetic against. Never linked into the programs.
find_path(VELMORA_MPFR_INCLUDE mpfr.h REQUIRED)
find_library(VELMORA_GMP_LIBRARY gmp REQUIRED)
find_library(VELMORA_GMPXX_LIBRARY gmpxx REQUIRED)
find_library(VELMORA_MPFR_LIBRARY mpfr REQUIRED)
add_library(velmora_exact_oracle INTERFACE)
target_include_directories(velmora_exact_oracle INTERFACE ${VELMORA_MPFR_INCLUDE}
                           ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(velmora_exact_oracle INTERFACE ${VELMORA_MPFR_LIBRARY}
                      ${VELMORA_GMPXX_LIBRARY} ${VELMORA_GMP_LIBRARY})
