# Sources are UTF-8; the program's texts are code page 936 (GBK) bytes, so narrow
# string literals are compiled to GBK.
function(zelvorn_gbk_literals target)
  if(MSVC)
    target_compile_options(${target} PUBLIC /source-charset:utf-8 /execution-charset:.936)
  elseif(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PUBLIC -finput-charset=UTF-8 -fexec-charset=GBK)
  else()
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER_ID} cannot compile literals to GBK; use GCC or MSVC")
  endif()
endfunction()
