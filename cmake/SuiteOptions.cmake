# Compiler settings shared by every target of the suite.
add_compile_options(-Wall -Wextra)

if(SUITE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

if(SUITE_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "SUITE_FUZZ needs clang (configure with CXX=clang++)")
    endif()
    # Everything in a fuzz build is instrumented for coverage; only the fuzz targets link the driver.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
    set(SUITE_BUILD_GUI OFF)
endif()
