# The browser build (emcmake). The static grids and scratch need about
# 69 MB, above the default 16 MB of memory.
set(FLUXART_WEB_MEMORY -sINITIAL_MEMORY=80MB -sALLOW_MEMORY_GROWTH=1)

# fluxart.js: the program itself for node, on the real file system, so that
# it takes the same command line as the native build.
target_link_options(fluxart PRIVATE ${FLUXART_WEB_MEMORY} -sNODERAWFS=1 -sEXIT_RUNTIME=1
  -sENVIRONMENT=node)

# fluxart_web.js: the same run for the page, as an ES module made fresh for
# every run, with the entry points of app/web_entry.cpp. Its files live in
# the in-memory file system; the page writes the drawing and the kept
# kernels there and reads the outputs back.
add_executable(fluxart_web app/web_entry.cpp)
target_link_libraries(fluxart_web PRIVATE fluxart_app)
set(FLUXART_WEB_EXPORTS _fluxart_run _malloc _free _fluxart_message _fluxart_decode_png
  _fluxart_encode_png _fluxart_encoded _fluxart_color_table _fluxart_color_count
  _fluxart_color_row _fluxart_color_name _fluxart_color_direction _fluxart_read_settings
  _fluxart_format_value _fluxart_field_grid _fluxart_steps_per_layer _fluxart_threads
  _fluxart_encode_run_input _fluxart_picture _fluxart_picture_name _fluxart_output_stem _fluxart_encode_output
  _fluxart_run_kernels _fluxart_run_kernel _fluxart_kernel_of _fluxart_kernel_file_of)
string(REPLACE ";" "," FLUXART_WEB_EXPORTS "${FLUXART_WEB_EXPORTS}")
target_link_options(fluxart_web PRIVATE ${FLUXART_WEB_MEMORY} -sMODULARIZE=1 -sEXPORT_ES6=1
  -sEXPORT_NAME=createFluxart -sENVIRONMENT=web,worker -sINVOKE_RUN=0 -sEXIT_RUNTIME=0
  -sFORCE_FILESYSTEM=1 -sEXPORTED_FUNCTIONS=${FLUXART_WEB_EXPORTS}
  -sEXPORTED_RUNTIME_METHODS=FS,UTF8ToString,stringToUTF8,lengthBytesUTF8)

# fluxart_web_threads.js: the same again on emscripten's threads, for a page
# that is cross-origin isolated (shared memory); its worker.js runs each
# helper thread. The pool holds a worker for every helper a stage starts
# (one thread per processor, at most 16, as natively), made when the module
# is, since a run that waits for its helpers cannot wait for a worker to
# start; a run that wanted one more would stop at once instead. Growing
# shared memory slows only the glue's own accesses to it, which are few.
if(FLUXART_WEB_THREADS)
  set_target_properties(fluxart_web PROPERTIES OUTPUT_NAME fluxart_web_threads)
  target_link_options(fluxart_web PRIVATE
    "-sPTHREAD_POOL_SIZE=Math.min(navigator.hardwareConcurrency,16)-1" -sPTHREAD_POOL_SIZE_STRICT=2
    -Wno-pthreads-mem-growth)
endif()

# The colour table's tests compiled to WebAssembly (scripts/test-web runs
# them in node): the C library there has its own sine and cosine, and the
# pinned planar offsets must hold with it too.
set(FLUXART_GTEST_SOURCE /usr/src/googletest/googletest)
if(EXISTS ${FLUXART_GTEST_SOURCE}/src/gtest-all.cc)
  add_executable(magnet_color_table_test_wasm EXCLUDE_FROM_ALL
    ${CMAKE_SOURCE_DIR}/tests/magnet_color_table_test.cpp
    ${FLUXART_GTEST_SOURCE}/src/gtest-all.cc ${FLUXART_GTEST_SOURCE}/src/gtest_main.cc)
  target_include_directories(magnet_color_table_test_wasm PRIVATE
    ${FLUXART_GTEST_SOURCE}/include ${FLUXART_GTEST_SOURCE})
  target_link_libraries(magnet_color_table_test_wasm PRIVATE fluxart_field)
  target_link_options(magnet_color_table_test_wasm PRIVATE ${FLUXART_WEB_MEMORY} -sEXIT_RUNTIME=1
    -sENVIRONMENT=node -sWASM_ASYNC_COMPILATION=0)
endif()
