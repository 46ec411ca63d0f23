# Shared by the scripts that start private servers for the tests (cupsserver.sh,
# mailservers.sh): finding and ending the processes they started. Sourced, not run.

# Whether a process is still running (a zombie waiting for its parent counts as ended).
running() {
    [ -n "$1" ] && [ -r "/proc/$1/stat" ] && ! grep -q '^[0-9]* ([^)]*) Z' "/proc/$1/stat"
}

# Whether process $1 is one of ours: its command line names our folder $2. A state file left
# from before a reboot may name ids that other processes have now.
ours() {
    [ -n "$1" ] && [ -r "/proc/$1/cmdline" ] && tr '\0' ' ' <"/proc/$1/cmdline" | grep -qF "$2"
}

# Ends our servers, given the folder and their ids: politely, then for good.
end_servers() {
    local dir="$1" pid pids=()
    shift
    for pid in "$@"; do ours "$pid" "$dir" && pids+=("$pid"); done
    [ ${#pids[@]} -eq 0 ] && return 0
    kill -TERM "${pids[@]}" 2>/dev/null || true
    for _ in $(seq 100); do
        local left=0
        for pid in "${pids[@]}"; do running "$pid" && left=1; done
        [ $left -eq 0 ] && return 0
        sleep 0.1
    done
    kill -KILL "${pids[@]}" 2>/dev/null || true
}
