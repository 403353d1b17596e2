# Every sanitizer switch of the project lives here.
#   -DCREDITSIM_SANITIZE=ON   AddressSanitizer + UndefinedBehaviorSanitizer
option(CREDITSIM_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(CREDITSIM_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
