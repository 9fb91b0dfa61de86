# Warnings and sanitizers for every target of the project.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    add_compile_options(-Wall -Wextra -Wpedantic)
    if(TOLVANE_WERROR)
        add_compile_options(-Werror)
    endif()
    # GCC 12 at -O2/-O3 warns falsely about std::string concatenation ("literal" + temporary,
    # GCC bug 105329), which would break an optimised build with -Werror.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        add_compile_options(-Wno-restrict)
    endif()
    if(TOLVANE_SANITIZE)
        add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                            -fno-sanitize-recover=undefined)
        add_link_options(-fsanitize=address,undefined)
    endif()
    # Coverage for libFuzzer in every library, so it sees inside the code under test.
    if(TOLVANE_LIBFUZZER)
        add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                            -fno-sanitize-recover=undefined)
        add_link_options(-fsanitize=address,undefined)
    endif()
elseif(MSVC)
    add_compile_options(/W4 /utf-8)
    if(TOLVANE_WERROR)
        add_compile_options(/WX)
    endif()
endif()
