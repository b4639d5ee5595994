# Resource files built into the core: every file directly inside Resources/ is bundled under its file
# name (read back with BundledResource::data("<file name>")), together with the generated files below.

# quorvane_bundle_resources(target FILES path...): compiles the files into `target` as byte arrays.
function(quorvane_bundle_resources target)
    cmake_parse_arguments(ARG "" "" "FILES" ${ARGN})
    set(script "${PROJECT_SOURCE_DIR}/cmake/EmbedResources.cmake")
    set(output "${CMAKE_CURRENT_BINARY_DIR}/${target}Bundled.cpp")
    list(JOIN ARG_FILES "|" inputs)
    add_custom_command(OUTPUT "${output}"
        COMMAND "${CMAKE_COMMAND}" "-DOUTPUT=${output}" "-DINPUTS=${inputs}" -P "${script}"
        DEPENDS ${ARG_FILES} "${script}"
        COMMENT "Bundling resources into ${target}"
        VERBATIM)
    target_sources(${target} PRIVATE "${output}")
endfunction()

# The fallback web-app icon: our artwork wrapped by the core's own icon-file writer.
add_executable(MakeFallbackIcon
    "${PROJECT_SOURCE_DIR}/Resources/Artwork/MakeFallbackIcon.cpp"
    "${PROJECT_SOURCE_DIR}/QuorvaneCore/WebApps/ICNSWriter.cpp"
    "${PROJECT_SOURCE_DIR}/QuorvaneCore/Support/QuorvaneError.cpp")
target_include_directories(MakeFallbackIcon PRIVATE "${PROJECT_SOURCE_DIR}/QuorvaneCore")
target_compile_options(MakeFallbackIcon PRIVATE ${QUORVANE_WARNINGS})
set(fallback_artwork "${PROJECT_SOURCE_DIR}/Resources/Artwork/FallbackIcon.png")
set(fallback_icon "${PROJECT_BINARY_DIR}/Resources/FallbackIcon.icns")
add_custom_command(OUTPUT "${fallback_icon}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${PROJECT_BINARY_DIR}/Resources"
    COMMAND MakeFallbackIcon "${fallback_artwork}" "${fallback_icon}"
    DEPENDS MakeFallbackIcon "${fallback_artwork}"
    COMMENT "Wrapping the fallback icon"
    VERBATIM)

file(GLOB bundled_resources LIST_DIRECTORIES false CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/Resources/*")
quorvane_bundle_resources(QuorvaneCoreResources FILES ${bundled_resources} "${fallback_icon}")
