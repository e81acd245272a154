# Copies DejaVu faces into data/fonts under the names data/fonts/fonts.xml uses.
set(ZENDRA_FONT_SRC /usr/share/fonts/truetype/dejavu)
set(ZENDRA_FONT_DST ${CMAKE_SOURCE_DIR}/data/fonts)
set(ZENDRA_FONT_COPIES
  "DejaVuSans.ttf:DUNGEON.TTF"
  "DejaVuSans.ttf:DejaVuSans.ttf"
  "DejaVuSans-Bold.ttf:DejaVuSans-Bold.ttf"
  "DejaVuSansMono.ttf:DejaVuSansMono.ttf"
  "DejaVuSansMono-Bold.ttf:DejaVuSansMono-Bold.ttf"
  "DejaVuSerif-Bold.ttf:DejaVuSerif-Bold.ttf")
set(ZENDRA_FONT_OUTPUTS)
foreach(pair ${ZENDRA_FONT_COPIES})
  string(REPLACE ":" ";" parts ${pair})
  list(GET parts 0 src)
  list(GET parts 1 dst)
  if(EXISTS ${ZENDRA_FONT_SRC}/${src})
    add_custom_command(OUTPUT ${ZENDRA_FONT_DST}/${dst}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZENDRA_FONT_SRC}/${src} ${ZENDRA_FONT_DST}/${dst}
      DEPENDS ${ZENDRA_FONT_SRC}/${src})
    list(APPEND ZENDRA_FONT_OUTPUTS ${ZENDRA_FONT_DST}/${dst})
  else()
    message(WARNING "Font ${ZENDRA_FONT_SRC}/${src} is missing: install fonts-dejavu-core")
  endif()
endforeach()
add_custom_target(zendra_fonts ALL DEPENDS ${ZENDRA_FONT_OUTPUTS})
