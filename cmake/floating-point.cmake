# Results are reproducible to the last bit only if every double operation is
# rounded on its own: no fused multiply-add (whatever the target CPU offers)
# and no value-changing optimisation. These flags apply to every target of the
# project, the library, tools, tests and benchmarks alike.
add_compile_options(
  $<$<COMPILE_LANGUAGE:C,CXX>:-ffp-contract=off>
  $<$<COMPILE_LANGUAGE:C,CXX>:-fno-fast-math>
  $<$<COMPILE_LANGUAGE:C,CXX>:-Wall>
  $<$<COMPILE_LANGUAGE:C,CXX>:-Wextra>)
string(REGEX MATCH "-ffast-math|-Ofast|-funsafe-math-optimizations" _creditsim_unsafe
       "${CMAKE_C_FLAGS} ${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_RELEASE} ${CMAKE_CXX_FLAGS_RELWITHDEBINFO}")
if(_creditsim_unsafe)
  message(FATAL_ERROR "creditsim must not be built with ${_creditsim_unsafe}: results would not be bit-exact")
endif()
