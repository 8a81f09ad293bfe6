# Each library is made of every source file under its folder: adding a
# module means adding its .h/.cpp pair, nothing else.
function(vc_add_library name folder)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  # plugins/ folders hold separately loaded modules with targets of their own.
  list(FILTER srcs EXCLUDE REGEX "/plugins/")
  add_library(${name} SHARED ${srcs})
  target_compile_options(${name} PRIVATE ${VC_WARNINGS})
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  string(TOUPPER ${name} upper)
  target_compile_definitions(${name} PRIVATE ${upper}_BUILDING=1)
  # Installed libraries find each other next to themselves.
  set_target_properties(${name} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION 1
                        INSTALL_RPATH "$ORIGIN")
endfunction()
