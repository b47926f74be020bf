# The runtime's sources, bottom folder first; read by this folder's
# CMakeLists and by the fuzz targets, which compile the runtime themselves.
# A _posix/_win32 suffix is one platform's implementation of a portable
# header; a win32/ folder holds what only Windows has.
set(VELMORA_RTL_SOURCES
  text/CodePage936_posix.cpp
  text/CodePage936_win32.cpp
  text/Gbk.cpp
  text/GbkTable.cpp
  text/Text.cpp
  text/Unicode.cpp
  boundary/SafeCall.cpp
  boundary/UserMessage.cpp
  units/Units.cpp
  module/Module.cpp
  module/PlatformImage_posix.cpp
  module/PlatformImage_win32.cpp
  module/ResString.cpp
  variant/Variant.cpp
  dispatch/Apartment_posix.cpp
  dispatch/Apartment_win32.cpp
  dispatch/AutoObject.cpp
  dispatch/ComServers_posix.cpp
  dispatch/ComServers_win32.cpp
  dispatch/LateBinding.cpp
  components/Classes.cpp
  components/Component.cpp
  components/Properties.cpp
  db/ClientDataSet.cpp
  db/DataPacket.cpp
  db/DataSet.cpp
  db/Field.cpp
  db/FieldTypes.cpp
  db/FilterExpression.cpp
  db/KeyMatch.cpp
  controls/Accelerator.cpp
  controls/Control.cpp
  controls/ExtCtrls.cpp
  controls/Registrations.cpp
  controls/StdCtrls.cpp
  forms/Application.cpp
  forms/Description.cpp
  forms/DescriptionReader.cpp
  forms/Form.cpp
  plugin/PluginLibrary.cpp)
list(TRANSFORM VELMORA_RTL_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
velmora_platform_sources(VELMORA_RTL_SOURCES)
if(WIN32)
  foreach(source win32/ComClient.cpp win32/ComServer.cpp win32/ComVariant.cpp)
    list(APPEND VELMORA_RTL_SOURCES ${CMAKE_CURRENT_LIST_DIR}/dispatch/${source})
  endforeach()
endif()
