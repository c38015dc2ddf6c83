# One switch for the whole tree, so the plug-in, its tests and the signal library
# are instrumented alike (mixing instrumented and plain code hides races).
if(TORAVEL_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(TORAVEL_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT TORAVEL_SANITIZE STREQUAL "")
    message(FATAL_ERROR "TORAVEL_SANITIZE must be empty, 'address' or 'thread'")
endif()
