# Sourced by the live checks: use_home NAME points HOME and the XDG folders at a fresh home under
# $scratch whose welcome is done (the stored setup flag is a file named by its key's hash).
use_home() {
    export HOME=$scratch/$1 XDG_CONFIG_HOME=$scratch/$1/.config XDG_DATA_HOME=$scratch/$1/.local/share
    export XDG_CACHE_HOME=$scratch/$1/.cache XDG_STATE_HOME=$scratch/$1/.local/state XDG_RUNTIME_DIR=$scratch/$1/run
    local secure=$XDG_DATA_HOME/Quillmarsh/.secure
    mkdir -p "$secure" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_DATA_HOME/Quillmarsh" "$secure" "$XDG_RUNTIME_DIR"
    printf true >"$secure/$(printf '%s' 'com.quillmarsh.secure|setup_complete' | sha256sum | cut -d' ' -f1).bin"
}
