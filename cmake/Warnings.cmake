# Warnings are errors in project code. Targets call vombrel_strict(<target>).
function(vombrel_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
