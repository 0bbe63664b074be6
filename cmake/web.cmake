# The browser build: libraries from TARNVELL_WEB_PREFIX, data from TARNVELL_WEB_DATA, and the
# link settings of the page's program (scripts/web sets both folders).
set(TARNVELL_WEB_PREFIX "" CACHE PATH "zlib, libpng, SDL2 and libmikmod built for the browser")
set(TARNVELL_WEB_DATA "" CACHE PATH "a native build folder holding the baked Map/, Graph/, Sound/")
if(NOT TARNVELL_WEB_PREFIX OR NOT TARNVELL_WEB_DATA)
    message(FATAL_ERROR "the browser build is made by scripts/web")
endif()
set(TARNVELL_TESTS OFF CACHE BOOL "" FORCE)
# WebAssembly SIMD: the terrain caster's eight lanes run as real vectors in the browser too.
add_compile_options(-msimd128)
set(TARNVELL_BENCH OFF CACHE BOOL "" FORCE)

# The same target names the native build gets from pkg-config and FindPNG.
function(TarnvellWebLibrary name)
    add_library(${name} INTERFACE IMPORTED GLOBAL)
    set_target_properties(${name} PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "${TARNVELL_WEB_PREFIX}/include;${ARGV2}"
        INTERFACE_LINK_LIBRARIES "${TARNVELL_WEB_PREFIX}/lib/${ARGV1}"
        # Not system folders: Emscripten's own SDL 1 headers sit in its system folders.
        SYSTEM FALSE)
endfunction()
TarnvellWebLibrary(PkgConfig::SDL2 libSDL2.a "${TARNVELL_WEB_PREFIX}/include/SDL2")
TarnvellWebLibrary(PkgConfig::MIKMOD libmikmod.a)
TarnvellWebLibrary(ZLIB::ZLIB libz.a)
TarnvellWebLibrary(PNG::PNG libpng16.a)
set_property(TARGET PNG::PNG APPEND PROPERTY INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)

# The page's program: the blocking main loop stays as it is (its pacing delay yields to the
# browser through Asyncify), main runs when the page says so (after the player's first tap,
# which also unlocks audio), and the data folder is packed beside it.
function(TarnvellWebLinkOptions target)
    # SDL built outside Emscripten's ports calls two of Emscripten's JavaScript helpers; the
    # list goes through a response file, since CMake would mangle its dollar signs.
    file(WRITE ${CMAKE_BINARY_DIR}/web-library-funcs.rsp
        "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=[\"$autoResumeAudioContext\",\"$dynCall\"]\n")
    target_link_options(${target} PRIVATE
        "@${CMAKE_BINARY_DIR}/web-library-funcs.rsp"
        -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
        -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=67108864
        -sEXIT_RUNTIME=1 -sFORCE_FILESYSTEM=1 -lnodefs.js
        "-sEXPORTED_RUNTIME_METHODS=[\"callMain\",\"FS\"]"
        "-sEXPORTED_FUNCTIONS=[\"_main\"]"
        "SHELL:--preload-file ${TARNVELL_WEB_DATA}/Map@/data/Map"
        "SHELL:--preload-file ${TARNVELL_WEB_DATA}/Graph@/data/Graph"
        "SHELL:--preload-file ${TARNVELL_WEB_DATA}/Sound@/data/Sound")
    # The packed data follows the baked data.
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${TARNVELL_WEB_DATA}/data.stamp)
endfunction()

function(TarnvellWebProgram target)
    TarnvellWebLinkOptions(${target})
    target_link_options(${target} PRIVATE -sINVOKE_RUN=0)

    # The terrain view's speed test, run where the browser build runs (tests/web).
    add_executable(tarnvell_terrain_bench ${CMAKE_SOURCE_DIR}/bench/browser/terrain_bench.cpp)
    target_link_libraries(tarnvell_terrain_bench PRIVATE tarnvell_core tarnvell_headless)
    target_compile_definitions(tarnvell_terrain_bench PRIVATE TARNVELL_DATA="/data/")
    TarnvellWebLinkOptions(tarnvell_terrain_bench)
endfunction()
