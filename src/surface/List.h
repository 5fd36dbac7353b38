#pragma once
// A doubly linked list that owns its records. The surface records link to one
// another by plain pointers, so each record keeps one address for its whole
// life; it is created singly, appended, and unlinked or freed singly. A
// record type T carries its own links: `T* next` and `T* previous`.
#include <cstddef>
#include <iterator>
#include <memory>
#include <utility>

namespace velmesh {

template <class T>
class OwningList {
public:
    OwningList() = default;
    OwningList(const OwningList&) = delete;
    OwningList& operator=(const OwningList&) = delete;
    OwningList(OwningList&& other) noexcept { take(other); }
    OwningList& operator=(OwningList&& other) noexcept {
        if (this != &other) {
            clear();
            take(other);
        }
        return *this;
    }
    ~OwningList() { clear(); }

    T* first() const { return first_; }
    T* last() const { return last_; }
    int count() const { return count_; }
    bool empty() const { return count_ == 0; }

    T& append(std::unique_ptr<T> record) {
        T* node = record.release();
        node->next = nullptr;
        node->previous = last_;
        if (last_ != nullptr)
            last_->next = node;
        else
            first_ = node;
        last_ = node;
        ++count_;
        return *node;
    }

    template <class... Args>
    T& emplace_back(Args&&... args) {
        return append(std::make_unique<T>(std::forward<Args>(args)...));
    }

    // Takes the record out of the list and hands it to the caller.
    std::unique_ptr<T> unlink(T& record) {
        if (record.previous != nullptr)
            record.previous->next = record.next;
        else
            first_ = record.next;
        if (record.next != nullptr)
            record.next->previous = record.previous;
        else
            last_ = record.previous;
        record.next = record.previous = nullptr;
        --count_;
        return std::unique_ptr<T>(&record);
    }

    void erase(T& record) { unlink(record); }

    // Moves every record of the other list to the end of this one.
    void splice_back(OwningList& other) {
        if (other.empty()) return;
        if (last_ != nullptr) {
            last_->next = other.first_;
            other.first_->previous = last_;
        } else {
            first_ = other.first_;
        }
        last_ = other.last_;
        count_ += other.count_;
        other.first_ = other.last_ = nullptr;
        other.count_ = 0;
    }

    // Frees the records one by one, front to back, without recursion.
    void clear() noexcept {
        T* node = first_;
        while (node != nullptr) {
            T* next = node->next;
            delete node;
            node = next;
        }
        first_ = last_ = nullptr;
        count_ = 0;
    }

    template <class Record>
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = Record*;
        using reference = Record&;

        Iterator() = default;
        explicit Iterator(Record* node) : node_(node) {}
        reference operator*() const { return *node_; }
        pointer operator->() const { return node_; }
        Iterator& operator++() {
            node_ = node_->next;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            node_ = node_->next;
            return before;
        }
        bool operator==(const Iterator& other) const { return node_ == other.node_; }

    private:
        Record* node_ = nullptr;
    };

    using iterator = Iterator<T>;
    using const_iterator = Iterator<const T>;

    iterator begin() { return iterator(first_); }
    iterator end() { return iterator(); }
    const_iterator begin() const { return const_iterator(first_); }
    const_iterator end() const { return const_iterator(); }

private:
    void take(OwningList& other) noexcept {
        first_ = std::exchange(other.first_, nullptr);
        last_ = std::exchange(other.last_, nullptr);
        count_ = std::exchange(other.count_, 0);
    }

    T* first_ = nullptr;
    T* last_ = nullptr;
    int count_ = 0;
};

}  // namespace velmesh
