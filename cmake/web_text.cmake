# Text in the browser build: measured, not drawn, until FreeType is built for it.
set(VELKO_RENDER_TEXT)
add_library(velko_web_text INTERFACE)
target_link_libraries(velko_web_text INTERFACE velko_text_measure_only)
