// The page's elements by id, and links that download bytes as a file.
export const $ = (id) => document.getElementById(id);

export function downloadLink(name, bytes, type = 'application/octet-stream') {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type }));
  link.download = name;
  link.textContent = name;
  return link;
}

// A link that downloads a file whose bytes are made only when it is first
// followed: make() gives { bytes } or { error }; on an error nothing
// downloads and onError(error) is called, and the next click tries again.
export function madeDownloadLink(name, make, onError, type = 'application/octet-stream') {
  const link = document.createElement('a');
  link.href = '#';
  link.download = name;
  link.textContent = name;
  link.addEventListener('click', (event) => {
    if (link.href.startsWith('blob:')) return;
    const made = make();
    if (made.error) {
      event.preventDefault();
      onError(made.error);
      return;
    }
    // The click goes on to follow the link, to the bytes now behind it.
    link.href = URL.createObjectURL(new Blob([made.bytes], { type }));
  });
  return link;
}
