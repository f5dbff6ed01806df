# Compiler and linker settings shared by every Windows target of the tree.

# Windows XP and later; the ANSI APIs throughout, the texts being 8-bit.
add_compile_definitions(WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600 NOMINMAX
                        WIN32_LEAN_AND_MEAN)

# The program's 8-bit texts are code page 936 bytes; sources are UTF-8. GB18030 gives
# the same bytes for every code page 936 character and, unlike CP936, can also
# encode the odd non-Chinese literal of the standard headers (chrono's micro sign).
add_compile_options(-finput-charset=UTF-8 $<$<COMPILE_LANGUAGE:CXX>:-fexec-charset=GB18030>
                    -Wall -Wextra -ffunction-sections -fdata-sections
                    -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")

# One self-contained exe: no compiler runtime DLLs, no link timestamp, so that two
# builds of the same sources are byte-identical.
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--gc-sections
                 -Wl,--no-insert-timestamp)
set(CMAKE_EXE_LINKER_FLAGS_RELEASE "-s")

# windres: the resource compiler goes through the C preprocessor.
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 936 --use-temp-file")
set(CMAKE_RC_COMPILE_OBJECT
    "<CMAKE_RC_COMPILER> <DEFINES> <INCLUDES> <FLAGS> -O coff <SOURCE> <OBJECT>")
