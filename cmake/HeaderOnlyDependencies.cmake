# For cross builds: the JSON, logging, formatting, networking and option libraries in header-only
# form, taken from the build machine's headers without exposing its other system headers.
set(TXL_HEADER_ONLY_SOURCE_DIR /usr/include CACHE PATH
    "Folder holding nlohmann/, spdlog/, fmt/, asio/ and CLI/ for header-only use")
set(TXL_THIRD_PARTY_INCLUDE ${CMAKE_BINARY_DIR}/third-party-include)
foreach(entry nlohmann spdlog fmt asio asio.hpp CLI)
  if(NOT EXISTS ${TXL_THIRD_PARTY_INCLUDE}/${entry} AND EXISTS ${TXL_HEADER_ONLY_SOURCE_DIR}/${entry})
    file(MAKE_DIRECTORY ${TXL_THIRD_PARTY_INCLUDE})
    file(CREATE_LINK ${TXL_HEADER_ONLY_SOURCE_DIR}/${entry} ${TXL_THIRD_PARTY_INCLUDE}/${entry}
         COPY_ON_ERROR SYMBOLIC)
  endif()
endforeach()
add_library(txl_header_only_json INTERFACE)
target_include_directories(txl_header_only_json SYSTEM INTERFACE ${TXL_THIRD_PARTY_INCLUDE})
add_library(nlohmann_json::nlohmann_json ALIAS txl_header_only_json)
add_library(txl_header_only_spdlog INTERFACE)
target_include_directories(txl_header_only_spdlog SYSTEM INTERFACE ${TXL_THIRD_PARTY_INCLUDE})
target_compile_definitions(txl_header_only_spdlog INTERFACE SPDLOG_HEADER_ONLY SPDLOG_FMT_EXTERNAL FMT_HEADER_ONLY)
add_library(spdlog::spdlog ALIAS txl_header_only_spdlog)
