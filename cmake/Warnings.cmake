# Our own targets build with every warning as an error.
function(abacor_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
