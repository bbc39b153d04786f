# add_layer(NAME [DEPS layer...] [LIBS target...])
#
# Builds the library NAME from every .cpp below the folder NAME/ (sub-folders
# included). Headers are included as "NAME/file.h". The include root handed to
# a layer holds only its own folder and, through its dependencies, the folders
# of the layers below it, so including a higher layer's header fails to
# compile.
set(LAYER_INCLUDE_ROOT ${CMAKE_BINARY_DIR}/layer-include)

function(add_layer name)
  cmake_parse_arguments(L "" "" "DEPS;LIBS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.cpp)
  set(inc ${LAYER_INCLUDE_ROOT}/${name})
  file(MAKE_DIRECTORY ${inc})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${name} ${inc}/${name} SYMBOLIC)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${inc})
    target_link_libraries(${name} PUBLIC ${L_DEPS} ${L_LIBS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${inc})
    target_link_libraries(${name} INTERFACE ${L_DEPS} ${L_LIBS})
  endif()
endfunction()
