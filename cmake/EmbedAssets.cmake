# Compiles every file under assets/ into the program. One generated C++ file pulls the bytes in
# with the assembler's .incbin and lists them in a table keyed by base name (extension dropped)
# and folder. Adding, removing or changing an asset re-runs this step or rebuilds that file.

set(TAVRELO_ASSET_DIR ${CMAKE_SOURCE_DIR}/assets)
set(TAVRELO_ASSET_TABLE ${CMAKE_BINARY_DIR}/generated/EmbeddedAssetTable.cpp)

file(GLOB_RECURSE tavrelo_asset_files CONFIGURE_DEPENDS LIST_DIRECTORIES false
     ${TAVRELO_ASSET_DIR}/*)
list(FILTER tavrelo_asset_files EXCLUDE REGEX "/\\.[^/]*$")
list(SORT tavrelo_asset_files)

set(asm_blocks "")
set(declarations "")
set(records "")
set(index 0)
foreach(asset ${tavrelo_asset_files})
  file(RELATIVE_PATH relative ${TAVRELO_ASSET_DIR} ${asset})
  get_filename_component(name ${asset} NAME_WLE)
  get_filename_component(folder ${relative} DIRECTORY)
  set(symbol tavrelo_asset_${index})
  string(APPEND asm_blocks
    "asm(R\"tavrelo(\n"
    "    .section .rodata.tavrelo_assets,\"a\",@progbits\n"
    "    .balign 16\n"
    "    .globl ${symbol}_begin\n    .hidden ${symbol}_begin\n"
    "    .globl ${symbol}_end\n    .hidden ${symbol}_end\n"
    "${symbol}_begin:\n"
    "    .incbin \"${asset}\"\n"
    "${symbol}_end:\n"
    "    .byte 0\n"
    "    .previous\n"
    ")tavrelo\");\n")
  string(APPEND declarations
    "extern \"C\" __attribute__((visibility(\"hidden\"))) const std::uint8_t ${symbol}_begin[];\n"
    "extern \"C\" __attribute__((visibility(\"hidden\"))) const std::uint8_t ${symbol}_end[];\n")
  string(APPEND records "    {\"${name}\", \"${folder}\", ${symbol}_begin, ${symbol}_end},\n")
  math(EXPR index "${index} + 1")
endforeach()

if(index EQUAL 0)
  set(table_definition
    "const EmbeddedAssetRecord* const embeddedAssetRecords = nullptr;\n"
    "const std::size_t embeddedAssetRecordCount = 0;\n")
else()
  set(table_definition
    "namespace {\nconst EmbeddedAssetRecord records[] = {\n${records}};\n}\n"
    "const EmbeddedAssetRecord* const embeddedAssetRecords = records;\n"
    "const std::size_t embeddedAssetRecordCount = ${index};\n")
endif()

string(CONCAT table_source
  "// Generated from the files under assets/ by cmake/EmbedAssets.cmake; do not edit.\n"
  "#include \"resources/EmbeddedAssetTable.h\"\n\n"
  "${asm_blocks}\n${declarations}\n"
  "namespace resources {\n${table_definition}} // namespace resources\n")

# Rewritten only when the text changes, so an unchanged asset list does not rebuild anything.
file(WRITE ${TAVRELO_ASSET_TABLE}.new "${table_source}")
configure_file(${TAVRELO_ASSET_TABLE}.new ${TAVRELO_ASSET_TABLE} COPYONLY)
set_source_files_properties(${TAVRELO_ASSET_TABLE} PROPERTIES OBJECT_DEPENDS
                            "${tavrelo_asset_files}")
set(TAVRELO_ASSET_SOURCES ${TAVRELO_ASSET_TABLE})
