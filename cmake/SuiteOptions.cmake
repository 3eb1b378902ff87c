# The folder of platform code every seam takes its implementation from (platform/<name>/).
if(WIN32)
    set(SUITE_PLATFORM win32)
else()
    set(SUITE_PLATFORM linux)
endif()

# Compiler settings shared by every target of the suite.
add_compile_options(-Wall -Wextra)
# GCC 12 at -O2/-O3 reports -Wrestrict inside libstdc++ for ordinary string concatenation
# (GCC bug 105329): a false positive that would bury real warnings in Release builds.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    add_compile_options(-Wno-restrict)
endif()

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
