# Sanitizer builds are whole-project switches so that the engine, its tests and
# the test framework are instrumented alike (mixed builds give false reports).
if(PLINDAR_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(PLINDAR_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT PLINDAR_SANITIZE STREQUAL "")
    message(FATAL_ERROR "PLINDAR_SANITIZE must be empty, 'address' or 'thread'")
endif()

# Fuzz builds instrument every library for coverage and address checks; only the
# fuzz executables link the fuzzer's main.
if(PLINDAR_ENABLE_FUZZER)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
