# Renders SVG artwork into PNG files at build time with rsvg-convert (Debian package librsvg2-bin).

find_program(VK_RSVG_CONVERT rsvg-convert)
if(NOT VK_RSVG_CONVERT)
    message(FATAL_ERROR
        "rsvg-convert was not found. The icons, the logo and the window icon are rendered from SVG at build "
        "time: install the Debian package librsvg2-bin ('make deps' does), then configure again.")
endif()

# vk_render_svg(<svg> <png> WIDTH <px> HEIGHT <px> [STYLESHEET <css>])
# Adds a build rule that renders <svg> into <png> (absolute paths) at the given size. A stylesheet is
# applied on top of the SVG's own styles (used to recolour glyphs). The PNG is rendered again whenever
# the SVG or the stylesheet changes.
function(vk_render_svg svg png)
    cmake_parse_arguments(ARG "" "WIDTH;HEIGHT;STYLESHEET" "" ${ARGN})
    if(NOT ARG_WIDTH OR NOT ARG_HEIGHT)
        message(FATAL_ERROR "vk_render_svg(${svg}): WIDTH and HEIGHT are required")
    endif()
    if(NOT EXISTS ${svg})
        message(FATAL_ERROR "vk_render_svg: ${svg} does not exist")
    endif()
    set(style_args "")
    set(style_deps "")
    if(ARG_STYLESHEET)
        set(style_args --stylesheet ${ARG_STYLESHEET})
        set(style_deps ${ARG_STYLESHEET})
    endif()
    get_filename_component(png_dir ${png} DIRECTORY)
    file(RELATIVE_PATH shown ${CMAKE_BINARY_DIR} ${png})
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${png_dir}
        COMMAND ${VK_RSVG_CONVERT} --width ${ARG_WIDTH} --height ${ARG_HEIGHT} ${style_args}
                --output ${png} ${svg}
        DEPENDS ${svg} ${style_deps}
        COMMENT "Rendering ${shown}"
        VERBATIM)
endfunction()
