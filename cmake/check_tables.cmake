# ctest: the committed python/tolvane/_table.py and docs/reference.md are
# what tolvane-tables writes from the entry point table today.
#   cmake -DGEN=<tolvane-tables> -DSRC=<source dir> -DOUT=<scratch dir> -P check_tables.cmake
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${GEN} ${OUT}/_table.py ${OUT}/reference.md RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "tolvane-tables failed")
endif()
foreach(pair "_table.py;python/tolvane/_table.py" "reference.md;docs/reference.md")
  list(GET pair 0 made)
  list(GET pair 1 committed)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/${made} ${SRC}/${committed}
    RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${committed} is out of date: run `cmake --build <build> --target tables` and commit it")
  endif()
endforeach()
message(STATUS "generated tables are current")
