// The page's elements by id, and a link that downloads bytes as a file.
export const $ = (id) => document.getElementById(id);

export function downloadLink(name, bytes, type = 'application/octet-stream') {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type }));
  link.download = name;
  link.textContent = name;
  return link;
}
