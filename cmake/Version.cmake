# The version of both programs comes from project(VERSION) alone: --version prints it and each
# Windows executable carries it in its version resource, generated here.

# tpd_version_resource(NAME DESCRIPTION): writes ${CMAKE_BINARY_DIR}/version/NAME_version.rc and
# returns its path in TPD_VERSION_RC_<NAME>. ASCII descriptions only (the resource compiler reads
# the file in its own code page).
function(tpd_version_resource name description)
  set(TPD_RC_NAME ${name})
  set(TPD_RC_DESCRIPTION ${description})
  set(out ${CMAKE_BINARY_DIR}/version/${name}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version_info.rc.in ${out} @ONLY)
  set(TPD_VERSION_RC_${name} ${out} PARENT_SCOPE)
endfunction()

# tpd_add_version_resource(TARGET NAME DESCRIPTION): compiles that resource into TARGET (the
# project enables no RC language, so windres is called directly, as for the dialog).
function(tpd_add_version_resource target name description)
  tpd_version_resource(${name} "${description}")
  set(rc ${TPD_VERSION_RC_${name}})
  set(obj ${CMAKE_CURRENT_BINARY_DIR}/${name}_version_res.o)
  add_custom_command(
    OUTPUT ${obj}
    COMMAND ${CMAKE_RC_COMPILER} -i ${rc} -O coff -o ${obj}
    DEPENDS ${rc}
    COMMENT "Compiling the version resource of ${name}.exe")
  set_source_files_properties(${obj} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
  target_sources(${target} PRIVATE ${obj})
endfunction()
