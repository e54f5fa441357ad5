# Warning set for every target of the project.
add_compile_options(
  -Wall -Wextra -Wpedantic -Wundef -Wpointer-arith -Wformat=2
  -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
if(SOMNARA_WERROR)
  add_compile_options(-Werror)
endif()

if(SOMNARA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(SOMNARA_TSAN)
  # ThreadSanitizer slows an unoptimised build tenfold more; -O1 keeps the suite's run
  # within reach while the stacks it reports still match the source.
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer -O1)
  add_link_options(-fsanitize=thread)
endif()
