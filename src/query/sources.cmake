# Records, transport, resolver, stash, status protocols, master query.
target_sources(zorvane_core PRIVATE
  query/binary_protocol.cpp query/binary_protocol.h
  query/game_records.h
  query/host_lookup.cpp query/host_lookup.h
  query/kernel_stamps.cpp query/kernel_stamps.h
  query/master_query.cpp query/master_query.h
  query/network_text.cpp query/network_text.h
  query/open_file_limit.cpp query/open_file_limit.h
  query/packed_texts.h
  query/ping.cpp query/ping.h
  query/query_burst.cpp query/query_burst.h
  query/query_pacing.cpp query/query_pacing.h
  query/server_record.cpp query/server_record.h
  query/server_stash.cpp query/server_stash.h
  query/text_protocol.cpp query/text_protocol.h
  query/udp_transport.cpp query/udp_transport.h
  query/vocabulary.cpp query/vocabulary.h
)
