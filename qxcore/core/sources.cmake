target_sources(qxcore PRIVATE
  core/assertions.cpp
  core/debug_logger.cpp
  core/lifecycle.cpp
  core/message_handler.cpp
  core/message_stdio.cpp
  core/messages.cpp
  core/service_initializers.cpp
  core/system_errors.cpp)
