# The Windows program: one self-contained exe, GUI subsystem, statically linked,
# importing only DLLs that Windows ships.
file(GLOB_RECURSE WIN32_SOURCES CONFIGURE_DEPENDS src/*/win32/*.cpp)
set(RESOURCE_SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/res/app.rc)
add_executable(ZelvornMouse WIN32 ${WIN32_SOURCES} ${RESOURCE_SCRIPT})
target_link_libraries(ZelvornMouse PRIVATE zelvorn_core
  user32 gdi32 comctl32 comdlg32 shell32 advapi32 winmm ole32 oleaut32 windowscodecs uuid shcore)
target_include_directories(ZelvornMouse PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/res)
target_compile_definitions(ZelvornMouse PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
  _WIN32_WINNT=0x0A00 WINVER=0x0A00)
set_source_files_properties(${RESOURCE_SCRIPT} PROPERTIES
  OBJECT_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/res/app.manifest")

if(MINGW)
  target_link_options(ZelvornMouse PRIVATE -municode -static -static-libgcc -static-libstdc++)
  target_compile_options(zelvorn_core PRIVATE -Wall -Wextra)
  target_compile_options(ZelvornMouse PRIVATE -Wall -Wextra)
elseif(MSVC)
  target_link_options(ZelvornMouse PRIVATE /ENTRY:wWinMainCRTStartup)
  set_property(TARGET ZelvornMouse zelvorn_core PROPERTY
    MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
endif()

# Helper programs of the end-to-end tests (a driver and a click target), Windows-only.
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/tests/e2e/tools/CMakeLists.txt)
  add_subdirectory(tests/e2e/tools)
endif()
