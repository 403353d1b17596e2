# Portable SIMD with runtime dispatch comes from Highway (libhwy-dev). It is
# optional: without it the engine uses its scalar kernels, which give the same
# bits.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(HWY QUIET IMPORTED_TARGET libhwy)
endif()

function(creditsim_add_simd target)
  if(HWY_FOUND)
    target_link_libraries(${target} PUBLIC PkgConfig::HWY)
    target_compile_definitions(${target} PUBLIC CREDITSIM_HAVE_HIGHWAY=1)
  endif()
endfunction()

function(creditsim_link_simd target)
  if(HWY_FOUND)
    target_link_libraries(${target} PRIVATE PkgConfig::HWY)
  endif()
endfunction()
