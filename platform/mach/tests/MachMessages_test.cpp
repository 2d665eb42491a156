// Messages between ports of one process: layout of what arrives, rights that travel with a
// message, replies through send-once rights, timeouts and the errors of bad messages.
#include <MachPortRights.h>
#include <gtest/gtest.h>
#include <mach/mach.h>
#include <sys/fileport.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <thread>

namespace {

using moxicam::test::newReceivePort;
using moxicam::test::portType;

#pragma pack(push, 4)
struct Simple {
  mach_msg_header_t header;
  uint64_t value;
};
struct WithPort {
  mach_msg_header_t header;
  mach_msg_body_t body;
  mach_msg_port_descriptor_t port;
  uint64_t value;
};
struct Received {
  mach_msg_header_t header;
  uint8_t rest[512];
};
#pragma pack(pop)

mach_port_urefs_t refs(mach_port_t name, mach_port_right_t right) {
  mach_port_urefs_t count = 0;
  mach_port_get_refs(mach_task_self(), name, right, &count);
  return count;
}

mach_msg_return_t send(mach_msg_header_t& header, mach_msg_size_t size) {
  return mach_msg(&header, MACH_SEND_MSG | MACH_SEND_TIMEOUT, size, 0, MACH_PORT_NULL, 1000, MACH_PORT_NULL);
}

mach_msg_return_t receive(mach_port_t port, Received& into, mach_msg_timeout_t timeout = 5000,
                          mach_msg_option_t extra = 0, mach_msg_size_t size = sizeof(Received)) {
  return mach_msg(&into.header, MACH_RCV_MSG | MACH_RCV_TIMEOUT | extra, 0, size, port, timeout,
                  MACH_PORT_NULL);
}

Simple simple(mach_port_t to, mach_msg_type_name_t disposition, mach_msg_id_t id, uint64_t value) {
  Simple message{};
  message.header.msgh_bits = MACH_MSGH_BITS(disposition, 0);
  message.header.msgh_size = sizeof message;
  message.header.msgh_remote_port = to;
  message.header.msgh_id = id;
  message.value = value;
  return message;
}

WithPort withPort(mach_port_t to, mach_port_t carried, mach_msg_type_name_t carriedDisposition) {
  WithPort message{};
  message.header.msgh_bits = MACH_MSGH_BITS(MACH_MSG_TYPE_MAKE_SEND, 0) | MACH_MSGH_BITS_COMPLEX;
  message.header.msgh_size = sizeof message;
  message.header.msgh_remote_port = to;
  message.header.msgh_id = 7;
  message.body.msgh_descriptor_count = 1;
  message.port.name = carried;
  message.port.disposition = carriedDisposition;
  message.port.type = MACH_MSG_PORT_DESCRIPTOR;
  message.value = 0x1122334455667788ull;
  return message;
}

TEST(MachMessages, ArriveInTheReceivedForm) {
  mach_port_t port = newReceivePort();
  Simple message = simple(port, MACH_MSG_TYPE_MAKE_SEND, 4242, 0xfeedfacecafebeefull);
  ASSERT_EQ(send(message.header, sizeof message), MACH_MSG_SUCCESS);

  Received got{};
  ASSERT_EQ(receive(port, got), MACH_MSG_SUCCESS);
  EXPECT_EQ(got.header.msgh_bits, MACH_MSGH_BITS(0, MACH_MSG_TYPE_PORT_SEND));
  EXPECT_EQ(got.header.msgh_size, sizeof(Simple));
  EXPECT_EQ(got.header.msgh_remote_port, MACH_PORT_NULL);
  EXPECT_EQ(got.header.msgh_local_port, port);
  EXPECT_EQ(got.header.msgh_id, 4242);
  uint64_t value;
  std::memcpy(&value, got.rest, sizeof value);
  EXPECT_EQ(value, 0xfeedfacecafebeefull);
  mach_msg_trailer_t trailer;
  std::memcpy(&trailer, got.rest + sizeof value, sizeof trailer);
  EXPECT_EQ(trailer.msgh_trailer_type, MACH_MSG_TRAILER_FORMAT_0);
  EXPECT_EQ(trailer.msgh_trailer_size, MACH_MSG_TRAILER_MINIMUM_SIZE);
  mach_port_destroy(mach_task_self(), port);
}

TEST(MachMessages, KeepTheirOrder) {
  mach_port_t port = newReceivePort();
  for (uint64_t i = 0; i < 50; ++i) {
    Simple message = simple(port, MACH_MSG_TYPE_MAKE_SEND, 1, i);
    ASSERT_EQ(send(message.header, sizeof message), MACH_MSG_SUCCESS);
  }
  for (uint64_t i = 0; i < 50; ++i) {
    Received got{};
    ASSERT_EQ(receive(port, got), MACH_MSG_SUCCESS);
    uint64_t value;
    std::memcpy(&value, got.rest, sizeof value);
    EXPECT_EQ(value, i);
  }
  mach_port_destroy(mach_task_self(), port);
}

TEST(MachMessages, ASendRightToAPortOfThisProcessArrivesUnderItsName) {
  mach_port_t port = newReceivePort();
  mach_port_t carried = newReceivePort();
  WithPort message = withPort(port, carried, MACH_MSG_TYPE_MAKE_SEND);
  ASSERT_EQ(send(message.header, sizeof message), MACH_MSG_SUCCESS);

  Received got{};
  ASSERT_EQ(receive(port, got), MACH_MSG_SUCCESS);
  WithPort arrived;
  std::memcpy(&arrived, &got, sizeof arrived);
  EXPECT_EQ(arrived.header.msgh_bits, MACH_MSGH_BITS_COMPLEX | MACH_MSGH_BITS(0, MACH_MSG_TYPE_PORT_SEND));
  EXPECT_EQ(arrived.body.msgh_descriptor_count, 1u);
  EXPECT_EQ(arrived.port.name, carried);
  EXPECT_EQ(arrived.port.disposition, MACH_MSG_TYPE_MOVE_SEND);
  EXPECT_EQ(arrived.port.type, MACH_MSG_PORT_DESCRIPTOR);
  EXPECT_EQ(arrived.value, 0x1122334455667788ull);
  EXPECT_EQ(portType(carried), MACH_PORT_TYPE_SEND_RECEIVE);
  EXPECT_EQ(refs(carried, MACH_PORT_RIGHT_SEND), 1u);

  // Sent with the right that arrived, a message reaches the port.
  Simple back = simple(carried, MACH_MSG_TYPE_MOVE_SEND, 99, 5);
  ASSERT_EQ(send(back.header, sizeof back), MACH_MSG_SUCCESS);
  EXPECT_EQ(refs(carried, MACH_PORT_RIGHT_SEND), 0u);
  ASSERT_EQ(receive(carried, got), MACH_MSG_SUCCESS);
  EXPECT_EQ(got.header.msgh_id, 99);
  mach_port_destroy(mach_task_self(), port);
  mach_port_destroy(mach_task_self(), carried);
}

TEST(MachMessages, ARequestIsAnsweredThroughItsSendOnceRight) {
  mach_port_t server = newReceivePort();
  mach_port_t replyPort = newReceivePort();
  Simple request = simple(server, MACH_MSG_TYPE_MAKE_SEND, 500, 1);
  request.header.msgh_bits = MACH_MSGH_BITS(MACH_MSG_TYPE_MAKE_SEND, MACH_MSG_TYPE_MAKE_SEND_ONCE);
  request.header.msgh_local_port = replyPort;
  ASSERT_EQ(send(request.header, sizeof request), MACH_MSG_SUCCESS);

  Received got{};
  ASSERT_EQ(receive(server, got), MACH_MSG_SUCCESS);
  EXPECT_EQ(got.header.msgh_bits, MACH_MSGH_BITS(MACH_MSG_TYPE_PORT_SEND_ONCE, MACH_MSG_TYPE_PORT_SEND));
  const mach_port_t answerRight = got.header.msgh_remote_port;
  ASSERT_TRUE(MACH_PORT_VALID(answerRight));
  EXPECT_NE(answerRight, replyPort);
  EXPECT_EQ(portType(answerRight), MACH_PORT_TYPE_SEND_ONCE);

  Simple answer = simple(answerRight, MACH_MSG_TYPE_MOVE_SEND_ONCE, 600, 2);
  ASSERT_EQ(send(answer.header, sizeof answer), MACH_MSG_SUCCESS);
  EXPECT_EQ(portType(answerRight), MACH_PORT_TYPE_NONE) << "a send-once right is used up";
  ASSERT_EQ(receive(replyPort, got), MACH_MSG_SUCCESS);
  EXPECT_EQ(got.header.msgh_id, 600);
  EXPECT_EQ(got.header.msgh_bits, MACH_MSGH_BITS(0, MACH_MSG_TYPE_PORT_SEND_ONCE));
  mach_port_destroy(mach_task_self(), server);
  mach_port_destroy(mach_task_self(), replyPort);
}

TEST(MachMessages, ADroppedSendOnceRightBecomesANotification) {
  mach_port_t replyPort = newReceivePort();
  mach_port_t holder = newReceivePort();
  WithPort message = withPort(holder, replyPort, MACH_MSG_TYPE_MAKE_SEND_ONCE);
  ASSERT_EQ(send(message.header, sizeof message), MACH_MSG_SUCCESS);
  Received got{};
  ASSERT_EQ(receive(holder, got), MACH_MSG_SUCCESS);
  WithPort arrived;
  std::memcpy(&arrived, &got, sizeof arrived);
  EXPECT_EQ(arrived.port.disposition, MACH_MSG_TYPE_PORT_SEND_ONCE);
  ASSERT_EQ(mach_port_deallocate(mach_task_self(), arrived.port.name), KERN_SUCCESS);

  ASSERT_EQ(receive(replyPort, got), MACH_MSG_SUCCESS);
  EXPECT_EQ(got.header.msgh_id, MACH_NOTIFY_SEND_ONCE);
  EXPECT_EQ(got.header.msgh_size, sizeof(mach_msg_header_t));
  EXPECT_EQ(got.header.msgh_local_port, replyPort);
  mach_port_destroy(mach_task_self(), replyPort);
  mach_port_destroy(mach_task_self(), holder);
}

TEST(MachMessages, AnEmptyPortTimesOut) {
  mach_port_t port = newReceivePort();
  Received got{};
  EXPECT_EQ(receive(port, got, 0), MACH_RCV_TIMED_OUT);
  EXPECT_EQ(receive(port, got, 20), MACH_RCV_TIMED_OUT);
  mach_port_destroy(mach_task_self(), port);
}

TEST(MachMessages, AReceiverWhoseBufferIsTooSmallLearnsTheSize) {
  mach_port_t port = newReceivePort();
  for (int i = 0; i < 2; ++i) {
    Simple message = simple(port, MACH_MSG_TYPE_MAKE_SEND, 10 + i, 3);
    ASSERT_EQ(send(message.header, sizeof message), MACH_MSG_SUCCESS);
  }
  const mach_msg_size_t needed = sizeof(Simple) + MACH_MSG_TRAILER_MINIMUM_SIZE;
  Received got{};
  // With MACH_RCV_LARGE the message waits for a larger buffer.
  ASSERT_EQ(receive(port, got, 1000, MACH_RCV_LARGE, needed - 4), MACH_RCV_TOO_LARGE);
  EXPECT_EQ(got.header.msgh_size, needed);
  ASSERT_EQ(receive(port, got, 1000, MACH_RCV_LARGE, needed), MACH_MSG_SUCCESS);
  EXPECT_EQ(got.header.msgh_id, 10);
  // Without it the message is gone.
  ASSERT_EQ(receive(port, got, 1000, 0, needed - 4), MACH_RCV_TOO_LARGE);
  EXPECT_EQ(receive(port, got, 0), MACH_RCV_TIMED_OUT);
  mach_port_destroy(mach_task_self(), port);
}

TEST(MachMessages, BadMessagesAreRefused) {
  mach_port_t port = newReceivePort();
  mach_port_t unknown = 0x7777703;
  struct Case {
    const char* what;
    std::function<void(WithPort&, mach_msg_size_t&)> spoil;
    mach_msg_return_t expected;
  };
  const Case cases[] = {
      {"shorter than a header", [](WithPort&, mach_msg_size_t& size) { size = 20; }, MACH_SEND_MSG_TOO_SMALL},
      {"size not a multiple of 4", [](WithPort&, mach_msg_size_t& size) { size = 42; },
       MACH_SEND_MSG_TOO_SMALL},
      {"larger than any message", [](WithPort&, mach_msg_size_t& size) { size = MACH_MSG_SIZE_MAX + 4; },
       MACH_SEND_TOO_LARGE},
      {"no destination", [](WithPort& m, mach_msg_size_t&) { m.header.msgh_remote_port = MACH_PORT_NULL; },
       MACH_SEND_INVALID_DEST},
      {"an unknown destination", [&](WithPort& m, mach_msg_size_t&) { m.header.msgh_remote_port = unknown; },
       MACH_SEND_INVALID_DEST},
      {"a receive right copied as a send right",
       [](WithPort& m, mach_msg_size_t&) {
         m.header.msgh_bits = MACH_MSGH_BITS(MACH_MSG_TYPE_COPY_SEND, 0) | MACH_MSGH_BITS_COMPLEX;
       },
       MACH_SEND_INVALID_DEST},
      {"a destination disposition that is no send right",
       [](WithPort& m, mach_msg_size_t&) {
         m.header.msgh_bits = MACH_MSGH_BITS(3, 0) | MACH_MSGH_BITS_COMPLEX;
       },
       MACH_SEND_INVALID_HEADER},
      {"an unknown reply port",
       [&](WithPort& m, mach_msg_size_t&) {
         m.header.msgh_bits =
             MACH_MSGH_BITS(MACH_MSG_TYPE_MAKE_SEND, MACH_MSG_TYPE_MAKE_SEND_ONCE) | MACH_MSGH_BITS_COMPLEX;
         m.header.msgh_local_port = unknown;
       },
       MACH_SEND_INVALID_REPLY},
      {"a reply port without disposition",
       [&](WithPort& m, mach_msg_size_t&) { m.header.msgh_local_port = m.header.msgh_remote_port; },
       MACH_SEND_INVALID_HEADER},
      {"more descriptors than bytes", [](WithPort& m, mach_msg_size_t&) { m.body.msgh_descriptor_count = 3; },
       MACH_SEND_MSG_TOO_SMALL},
      {"a descriptor that is not a port",
       [](WithPort& m, mach_msg_size_t&) { m.port.type = MACH_MSG_OOL_DESCRIPTOR; }, MACH_SEND_INVALID_TYPE},
      {"a descriptor disposition that is no right",
       [](WithPort& m, mach_msg_size_t&) { m.port.disposition = 9; }, MACH_SEND_INVALID_TYPE},
      {"a descriptor naming no right", [&](WithPort& m, mach_msg_size_t&) { m.port.name = unknown; },
       MACH_SEND_INVALID_RIGHT},
  };
  mach_port_t carried = newReceivePort();
  for (const Case& c : cases) {
    WithPort message = withPort(port, carried, MACH_MSG_TYPE_MAKE_SEND);
    mach_msg_size_t size = sizeof message;
    c.spoil(message, size);
    EXPECT_EQ(mach_msg(&message.header, MACH_SEND_MSG | MACH_SEND_TIMEOUT, size, 0, MACH_PORT_NULL, 100,
                       MACH_PORT_NULL),
              c.expected)
        << c.what;
  }
  // Nothing of the refused messages arrived, and the carried port kept its rights.
  Received got{};
  EXPECT_EQ(receive(port, got, 0), MACH_RCV_TIMED_OUT);
  EXPECT_EQ(portType(carried), MACH_PORT_TYPE_RECEIVE);
  EXPECT_EQ(receive(carried, got, 0), MACH_RCV_TIMED_OUT);
  mach_port_destroy(mach_task_self(), port);
  mach_port_destroy(mach_task_self(), carried);
}

TEST(MachMessages, AKilledPortStopsItsReceiversAndSenders) {
  mach_port_t port = newReceivePort();
  ASSERT_EQ(mach_port_insert_right(mach_task_self(), port, port, MACH_MSG_TYPE_MAKE_SEND), KERN_SUCCESS);
  mach_msg_return_t waited = MACH_MSG_SUCCESS;
  std::thread receiver([&] {
    Received got{};
    waited = mach_msg(&got.header, MACH_RCV_MSG, 0, sizeof got, port, 0, MACH_PORT_NULL);
  });
  // The receiver may or may not be waiting yet: either way it must not keep waiting.
  ASSERT_EQ(mach_port_mod_refs(mach_task_self(), port, MACH_PORT_RIGHT_RECEIVE, -1), KERN_SUCCESS);
  receiver.join();
  EXPECT_TRUE(waited == MACH_RCV_PORT_DIED || waited == MACH_RCV_INVALID_NAME) << std::hex << waited;
  // The send right this process kept is a dead name now.
  EXPECT_EQ(portType(port), MACH_PORT_TYPE_DEAD_NAME);
  Simple message = simple(port, MACH_MSG_TYPE_COPY_SEND, 1, 1);
  EXPECT_EQ(send(message.header, sizeof message), MACH_SEND_INVALID_DEST);
  EXPECT_EQ(mach_port_deallocate(mach_task_self(), port), KERN_SUCCESS);
  EXPECT_EQ(portType(port), MACH_PORT_TYPE_NONE);
}

TEST(MachMessages, UserReferencesAreCounted) {
  mach_port_t port = newReceivePort();
  EXPECT_EQ(mach_port_deallocate(mach_task_self(), port), KERN_INVALID_RIGHT) << "a receive right alone";
  ASSERT_EQ(mach_port_insert_right(mach_task_self(), port, port, MACH_MSG_TYPE_MAKE_SEND), KERN_SUCCESS);
  ASSERT_EQ(mach_port_mod_refs(mach_task_self(), port, MACH_PORT_RIGHT_SEND, 2), KERN_SUCCESS);
  EXPECT_EQ(refs(port, MACH_PORT_RIGHT_SEND), 3u);
  EXPECT_EQ(refs(port, MACH_PORT_RIGHT_RECEIVE), 1u);
  EXPECT_EQ(mach_port_mod_refs(mach_task_self(), port, MACH_PORT_RIGHT_SEND, -4), KERN_INVALID_VALUE);
  EXPECT_EQ(mach_port_mod_refs(mach_task_self(), port, MACH_PORT_RIGHT_DEAD_NAME, 1), KERN_INVALID_RIGHT);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(mach_port_deallocate(mach_task_self(), port), KERN_SUCCESS);
  EXPECT_EQ(portType(port), MACH_PORT_TYPE_RECEIVE);
  EXPECT_EQ(mach_port_insert_right(mach_task_self(), port, port + 0x100, MACH_MSG_TYPE_MAKE_SEND),
            KERN_INVALID_VALUE);
  EXPECT_EQ(mach_port_destroy(mach_task_self(), port), KERN_SUCCESS);
  EXPECT_EQ(mach_port_deallocate(mach_task_self(), port), KERN_INVALID_NAME);
  EXPECT_EQ(mach_port_allocate(mach_task_self(), MACH_PORT_RIGHT_SEND, &port), KERN_INVALID_VALUE);
  EXPECT_EQ(mach_port_allocate(mach_task_self() + 1, MACH_PORT_RIGHT_RECEIVE, &port), KERN_INVALID_TASK);
}

TEST(MachMessages, DestroyingAMessageDropsTheRightsItMoves) {
  mach_port_t port = newReceivePort();
  mach_port_t carried = newReceivePort();
  mach_port_insert_right(mach_task_self(), carried, carried, MACH_MSG_TYPE_MAKE_SEND);
  mach_port_insert_right(mach_task_self(), carried, carried, MACH_MSG_TYPE_MAKE_SEND);
  WithPort message = withPort(port, carried, MACH_MSG_TYPE_MOVE_SEND);
  mach_msg_destroy(&message.header);
  EXPECT_EQ(refs(carried, MACH_PORT_RIGHT_SEND), 1u);
  // A copied right is the sender's still.
  message = withPort(port, carried, MACH_MSG_TYPE_COPY_SEND);
  mach_msg_destroy(&message.header);
  EXPECT_EQ(refs(carried, MACH_PORT_RIGHT_SEND), 1u);
  mach_port_destroy(mach_task_self(), port);
  mach_port_destroy(mach_task_self(), carried);
}

TEST(MachMessages, AFileportCarriesItsDescriptor) {
  const int file = memfd_create("fileport", MFD_CLOEXEC);
  ASSERT_GE(file, 0);
  ASSERT_EQ(write(file, "contents", 8), 8);
  fileport_t fileport = MACH_PORT_NULL;
  ASSERT_EQ(fileport_makeport(file, &fileport), 0);
  EXPECT_EQ(portType(fileport), MACH_PORT_TYPE_SEND);

  mach_port_t port = newReceivePort();
  WithPort message = withPort(port, fileport, MACH_MSG_TYPE_MOVE_SEND);
  ASSERT_EQ(send(message.header, sizeof message), MACH_MSG_SUCCESS);
  EXPECT_EQ(portType(fileport), MACH_PORT_TYPE_NONE) << "moved away";
  Received got{};
  ASSERT_EQ(receive(port, got), MACH_MSG_SUCCESS);
  WithPort arrived;
  std::memcpy(&arrived, &got, sizeof arrived);
  const int again = fileport_makefd(arrived.port.name);
  ASSERT_GE(again, 0);
  struct stat a, b;
  ASSERT_EQ(fstat(file, &a), 0);
  ASSERT_EQ(fstat(again, &b), 0);
  EXPECT_EQ(a.st_ino, b.st_ino);
  close(again);
  close(file);
  EXPECT_EQ(fileport_makefd(port), -1) << "a port is no fileport";
  mach_port_deallocate(mach_task_self(), arrived.port.name);
  mach_port_destroy(mach_task_self(), port);
}

TEST(MachMessages, ReplyPortsArePerThreadAndRenewedAfterDeallocation) {
  const mach_port_t first = mig_get_reply_port();
  ASSERT_TRUE(MACH_PORT_VALID(first));
  EXPECT_EQ(mig_get_reply_port(), first);
  mach_port_t other = MACH_PORT_NULL;
  std::thread([&] { other = mig_get_reply_port(); }).join();
  EXPECT_NE(other, first);
  EXPECT_EQ(portType(other), MACH_PORT_TYPE_NONE) << "gone with its thread";
  mig_dealloc_reply_port(first);
  EXPECT_EQ(portType(first), MACH_PORT_TYPE_NONE);
  EXPECT_NE(mig_get_reply_port(), first);
}

}  // namespace
