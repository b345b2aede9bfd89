# Writes a C++ source that holds every file of the page folder as bytes with
# its content type, its ETag (from its SHA-256) and, where that is smaller, a
# gzip form, for web/WebAssets.h. Run as
#   cmake -DDIR=<res/web> -DOUT=<file.cpp> [-DEXTRA=<file>|<file>] -P EmbedWebAssets.cmake
# An empty or missing folder gives a placeholder page, so the server always has one.
file(GLOB files LIST_DIRECTORIES false "${DIR}/*")
list(SORT files)
# Files from elsewhere (EXTRA, separated by "|"), such as the API's description.
if(EXTRA)
  string(REPLACE "|" ";" extra "${EXTRA}")
  list(APPEND files ${extra})
endif()
set(body "")
set(table "")
set(n 0)
foreach(f IN LISTS files)
  get_filename_component(name "${f}" NAME)
  if(name MATCHES "^\\.")
    continue()
  endif()
  string(TOLOWER "${name}" lower)
  set(type "application/octet-stream")
  if(lower MATCHES "\\.html?$")
    set(type "text/html; charset=utf-8")
  elseif(lower MATCHES "\\.css$")
    set(type "text/css; charset=utf-8")
  elseif(lower MATCHES "\\.m?js$")
    set(type "text/javascript; charset=utf-8")
  elseif(lower MATCHES "\\.json$")
    set(type "application/json; charset=utf-8")
  elseif(lower MATCHES "\\.svg$")
    set(type "image/svg+xml")
  elseif(lower MATCHES "\\.png$")
    set(type "image/png")
  elseif(lower MATCHES "\\.(jpg|jpeg)$")
    set(type "image/jpeg")
  elseif(lower MATCHES "\\.ico$")
    set(type "image/x-icon")
  elseif(lower MATCHES "\\.webmanifest$")
    set(type "application/manifest+json")
  endif()
  file(READ "${f}" hex HEX)
  string(LENGTH "${hex}" length)
  math(EXPR size "${length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "const unsigned char kFile${n}[] = {${bytes}0};\n")
  file(SHA256 "${f}" digest)
  string(SUBSTRING "${digest}" 0 20 etag)
  # Compressed beside the output; kept only where it saves something.
  set(gz "${OUT}.${n}.gz")
  file(ARCHIVE_CREATE OUTPUT "${gz}" PATHS "${f}" FORMAT raw COMPRESSION GZip)
  file(READ "${gz}" gzhex HEX)
  file(REMOVE "${gz}")
  string(LENGTH "${gzhex}" gzlength)
  if(gzlength GREATER 20 AND gzlength LESS length)
    # No time stamp in the header: the same page gives the same source.
    string(SUBSTRING "${gzhex}" 0 8 gzhead)
    string(SUBSTRING "${gzhex}" 16 -1 gztail)
    set(gzhex "${gzhead}00000000${gztail}")
    math(EXPR gzsize "${gzlength} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," gzbytes "${gzhex}")
    string(APPEND body "const unsigned char kGzip${n}[] = {${gzbytes}0};\n")
    set(gzref "kGzip${n}")
  else()
    set(gzsize 0)
    set(gzref "nullptr")
  endif()
  string(APPEND table "    {\"${name}\", \"${type}\", kFile${n}, ${size}, \"\\\"${etag}\\\"\", ${gzref}, ${gzsize}},\n")
  math(EXPR n "${n} + 1")
endforeach()
if(n EQUAL 0)
  string(APPEND body "const char kPlaceholder[] = \"<!doctype html><title>Kolibrix</title><p>Kolibrix web remote</p>\";\n")
  string(APPEND table "    {\"index.html\", \"text/html; charset=utf-8\", reinterpret_cast<const unsigned char*>(kPlaceholder), sizeof(kPlaceholder) - 1, \"\\\"placeholder\\\"\", nullptr, 0},\n")
endif()
set(text "// Generated from res/web by cmake/EmbedWebAssets.cmake; do not edit.
#include <cstring>

#include \"web/WebAssets.h\"

namespace tavelapp {
namespace {

${body}
const WebAsset kAssets[] = {
${table}};

}  // namespace

const WebAsset* WebAssets::find(const std::string& name) {
    for (const WebAsset& asset : kAssets) {
        if (name == asset.name) return &asset;
    }
    return nullptr;
}

}  // namespace tavelapp
")
# Rewritten only when it changed, so nothing rebuilds for nothing.
set(old "")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUT}" "${text}")
endif()
