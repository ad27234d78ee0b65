# The fuzz targets, shared by fuzz/CMakeLists.txt (libFuzzer programs) and
# tests/fuzz_replay (corpus replay with the normal compiler).
# <name>: source fuzz/<name>_target.cpp, entry function, corpus fuzz/corpus/<name>/.
set(KT7_FUZZ_TARGETS)
set(KT7_FUZZ_TARGET_SOURCES)
set(KT7_FUZZ_SUPPORT_SOURCES ${CMAKE_CURRENT_LIST_DIR}/FuzzSupport.cpp)

macro(kt7_fuzz_target name entry)
  list(APPEND KT7_FUZZ_TARGETS ${name})
  list(APPEND KT7_FUZZ_TARGET_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${name}_target.cpp)
  set(KT7_FUZZ_ENTRY_${name} ${entry})
endmacro()

kt7_fuzz_target(package_load FuzzPackageLoad)
kt7_fuzz_target(sim_firmware FuzzSimFirmware)
kt7_fuzz_target(update_run FuzzUpdateRun)
kt7_fuzz_target(records_text FuzzRecordsText)
