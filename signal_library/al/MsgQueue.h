#pragma once

#include <cstddef>
#include <cstring>

namespace al
{

// Time-stamped message queue of the run loop. Nodes come from a pool made up front;
// messages run in time order when update() reaches their time.
class MsgQueue
{
public:
    typedef void (*Func) (char* args);

    static constexpr int inlineBytes = 96;

    struct Message
    {
        Message* next;
        int size;
        double time;
        Func func;
        // Argument data up to inlineBytes; larger data lives in a separate block whose
        // pointer is stored here instead.
        char args[inlineBytes];

        char* data()
        {
            if (size > inlineBytes)
            {
                char* block;
                static_assert (sizeof (block) <= inlineBytes, "the block pointer fits the inline room");
                std::memcpy (&block, args, sizeof (block));
                return block;
            }
            return args;
        }
    };
    static_assert (sizeof (Message) == 128, "message nodes are 128 bytes");

    // Null functions stand for malloc and free. size + 1 nodes go into the pool.
    MsgQueue (int size = 0, void* (*allocate) (unsigned long) = nullptr, void (*release) (void*) = nullptr);
    ~MsgQueue();

    MsgQueue (const MsgQueue&) = delete;
    MsgQueue& operator= (const MsgQueue&) = delete;

    // Runs every pending message whose time is at or before `time`, in order; the
    // pending list must be in ascending time order. The flag is not used.
    void update (double time, bool defer = false);

    Message* pending = nullptr;
    Message* tail = nullptr;
    Message* pool = nullptr;
    int pendingCount = 0;
    double now = 0.0;
    void* (*allocate) (unsigned long);
    void (*release) (void*);
};

} // namespace al
