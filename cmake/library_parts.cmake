# velko_library_parts(<parts var> <deps var> <target>...)
#
# Walks what the given targets link, directly and through each other: every
# static, object or interface library of this project found on the way goes
# into <parts var> (the objects a library made of them must hold, and the
# link options and files its users need), and everything else (imported
# targets, system libraries) into <deps var>, each once, in the order first
# met. An interface library has no objects; what it links is walked too.
function(velko_library_parts parts_var deps_var)
  set(parts)
  set(deps)
  set(queue ${ARGN})
  while(queue)
    list(POP_FRONT queue item)
    if(item IN_LIST parts OR item IN_LIST deps)
      continue()
    endif()
    set(ours FALSE)
    if(TARGET ${item})
      get_target_property(imported ${item} IMPORTED)
      get_target_property(type ${item} TYPE)
      if(NOT imported AND type MATCHES "^(STATIC|OBJECT|INTERFACE)_LIBRARY$")
        set(ours TRUE)
      endif()
    endif()
    if(ours)
      list(APPEND parts ${item})
      if(type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(linked ${item} INTERFACE_LINK_LIBRARIES)
      else()
        get_target_property(linked ${item} LINK_LIBRARIES)
      endif()
      if(linked)
        list(APPEND queue ${linked})
      endif()
    else()
      list(APPEND deps ${item})
    endif()
  endwhile()
  set(${parts_var} ${parts} PARENT_SCOPE)
  set(${deps_var} ${deps} PARENT_SCOPE)
endfunction()

# velko_library_static_deps(<library> <lib destination> <dep>...)
#
# A static library's users link what its parts linked. System libraries
# (user32, m) are named as they are; a static library from outside this
# project (an imported target or an archive's path, such as FreeType built
# for WebAssembly) is installed beside the library and named by its place
# under the install prefix, so the installed package works wherever it is
# put. Anything else cannot be carried into an installed package.
function(velko_library_static_deps library destination)
  foreach(dep IN LISTS ARGN)
    set(archive)
    if(TARGET ${dep})
      get_target_property(imported ${dep} IMPORTED)
      get_target_property(type ${dep} TYPE)
      if(imported AND type MATCHES "^(STATIC|UNKNOWN)_LIBRARY$")
        get_target_property(archive ${dep} IMPORTED_LOCATION)
        if(NOT archive)
          get_target_property(configs ${dep} IMPORTED_CONFIGURATIONS)
          list(GET configs 0 config)
          get_target_property(archive ${dep} IMPORTED_LOCATION_${config})
        endif()
      endif()
      if(NOT archive)
        message(FATAL_ERROR "velko's installed static library cannot carry ${dep} "
                            "(a ${type}): link an imported static library or a system library")
      endif()
    elseif(IS_ABSOLUTE "${dep}")
      set(archive ${dep})
    else()
      target_link_libraries(${library} PUBLIC ${dep})
      continue()
    endif()
    get_filename_component(name "${archive}" NAME)
    install(FILES "${archive}" DESTINATION ${destination} COMPONENT development)
    target_link_libraries(${library} PUBLIC "$<BUILD_INTERFACE:${dep}>"
      "$<INSTALL_INTERFACE:$<INSTALL_PREFIX>/${destination}/${name}>")
  endforeach()
endfunction()
