# The web game: a folder any static web server can serve (web/ in the build
# directory) and an archive of it: the page, the program (junkfall.js and
# junkfall.wasm), media/data.dat, the icons, the web app manifest and the
# worker that keeps the page for offline play (sw.js), and the licences of
# everything in it. The same commit gives the same bytes.
set(JUNKFALL_WEB_DIR ${CMAKE_BINARY_DIR}/web)
set_target_properties(junkfall PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${JUNKFALL_WEB_DIR})
add_dependencies(junkfall data_file)

set(page ${CMAKE_CURRENT_LIST_DIR})
set(copies
  ${page}/index.html index.html
  ${page}/page.js page.js
  ${page}/page.css page.css
  ${page}/manifest.webmanifest manifest.webmanifest
  ${JUNKFALL_ICON_DIR}/junkfall-32.png junkfall-32.png
  ${JUNKFALL_ICON_DIR}/junkfall-192.png junkfall-192.png
  ${JUNKFALL_ICON_DIR}/junkfall-256.png junkfall-256.png
  ${JUNKFALL_ICON_DIR}/junkfall-512.png junkfall-512.png
  ${JUNKFALL_DATA_FILE} media/data.dat
  ${PROJECT_SOURCE_DIR}/LICENSE licenses/junkfall.txt
  ${JUNKFALL_ALLEGRO_LICENSE} licenses/allegro.txt
  # musl, libc++, libc++abi and compiler-rt, as Emscripten links them in
  /usr/share/doc/emscripten/copyright licenses/emscripten.txt)
set(outputs)
set(commands)
set(inputs)
while(copies)
  list(POP_FRONT copies from to)
  list(APPEND outputs ${JUNKFALL_WEB_DIR}/${to})
  list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy ${from} ${JUNKFALL_WEB_DIR}/${to})
  list(APPEND inputs ${from})
endwhile()
add_custom_command(OUTPUT ${outputs} ${commands}
  DEPENDS ${inputs} data_file host_tools allegro_build
  VERBATIM)

add_custom_target(web_page ALL DEPENDS ${outputs})

# the worker, named by its build: the first 16 hex digits of the SHA-256 of the files it keeps
set(kept index.html page.js page.css junkfall.js junkfall.wasm media/data.dat manifest.webmanifest
    junkfall-32.png junkfall-192.png junkfall-256.png junkfall-512.png)
add_custom_target(web_worker ALL
  COMMAND bash -c "id=$(cat $* | sha256sum | cut -c1-16) && \
    sed s/@BUILD@/$id/ '${page}/sw.js' > sw.js.new && \
    if cmp -s sw.js.new sw.js; then rm sw.js.new; else mv sw.js.new sw.js; fi" worker ${kept}
  BYPRODUCTS ${JUNKFALL_WEB_DIR}/sw.js
  WORKING_DIRECTORY ${JUNKFALL_WEB_DIR}
  VERBATIM)
add_dependencies(web_worker web_page junkfall)

# the archive a player downloads: its members in a fixed order
set(JUNKFALL_WEB_ARCHIVE ${CMAKE_BINARY_DIR}/junkfall-${PROJECT_VERSION}-web.zip)
set(members ${kept} sw.js licenses/junkfall.txt licenses/allegro.txt licenses/emscripten.txt)
# made anew at every build, dated by the last commit as it is then, and with
# strip-nondeterminism's help the same bytes from any build of a commit
find_program(STRIP_NONDETERMINISM strip-nondeterminism REQUIRED)
add_custom_target(web_archive ALL
  COMMAND bash -c "date=$(git -C '${PROJECT_SOURCE_DIR}' log -1 --format=%ct 2>/dev/null || echo 0) && \
    rm -f '${JUNKFALL_WEB_ARCHIVE}' && '${CMAKE_COMMAND}' -E tar cf '${JUNKFALL_WEB_ARCHIVE}' --format=zip $* && \
    '${STRIP_NONDETERMINISM}' -t zip -T $date '${JUNKFALL_WEB_ARCHIVE}'" archive ${members}
  BYPRODUCTS ${JUNKFALL_WEB_ARCHIVE}
  WORKING_DIRECTORY ${JUNKFALL_WEB_DIR}
  VERBATIM)
add_dependencies(web_archive web_worker)
