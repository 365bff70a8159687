# The fake Messenger receiver and name service shared by the transport's tests (and by anyone
# who needs a receiver without Samba). Not built when the Windows programs use the system's
# netapi32 instead of our transport.
if(TARGET qzmsgr AND NOT (WIN32 AND QZ_SYSTEM_MESSENGER))
  add_library(qzfakerecv STATIC ${CMAKE_CURRENT_LIST_DIR}/FakeRecv.cpp)
  target_include_directories(qzfakerecv PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  find_package(Threads REQUIRED)
  target_link_libraries(qzfakerecv PUBLIC qzmsgr qzplat Threads::Threads)
endif()
